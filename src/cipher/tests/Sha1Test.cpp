#include "cipher/Sha1.h"
#include "cipher/tests/CipherTestSupport.h"

using namespace AesLib;

class Sha1 : public BothPaths {};
INSTANTIATE_BOTH_PATHS(Sha1);

namespace {

std::string Digest(const Bytes& data, std::size_t piece) {
  Sha1State state;
  Sha1Init(state);
  FeedInPieces(data, piece, [&](const std::uint8_t* p, std::size_t n) { Sha1Update(state, p, n); });
  std::uint8_t digest[20];
  Sha1Final(state, digest);
  return ToHex(digest, 20);
}

}  // namespace

TEST_P(Sha1, meetsKnownAnswersFedWholeInPiecesAndByteByByte) {
  const struct {
    Bytes data;
    const char* digest;
  } cases[] = {
      // FIPS 180-2 Appendix A examples.
      {AsBytes("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d"},
      {AsBytes("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
       "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
      // NIST example set: the empty message and the 896-bit message.
      {{}, "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
      {AsBytes(
           "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmn"
           "opqrlmnopqrsmnopqrstnopqrstu"),
       "a49b2446a02c645bf419f995b67091253a04a259"},
      // Padding with and without a second block: "a" repeated 55, 56, 63, 64
      // and 65 times, digests from Python's hashlib.
      {Bytes(55, 'a'), "c1c8bbdc22796e28c0e15163d20899b65621d65a"},
      {Bytes(56, 'a'), "c2db330f6083854c99d4b5bfb6e8f29f201be699"},
      {Bytes(63, 'a'), "03f09f5b158a7a8cdad920bddc29b81c18a551f5"},
      {Bytes(64, 'a'), "0098ba824b5c16427bd7a1122a5a442a25ec644d"},
      {Bytes(65, 'a'), "11655326c708d70319be2610e8a57d9a5b959d3b"},
  };
  for (const auto& c : cases) {
    for (const std::size_t piece : kFeedings) {
      EXPECT_EQ(Digest(c.data, piece), c.digest)
          << c.data.size() << " bytes in pieces of " << piece;
    }
  }
}

// FIPS 180-2 Appendix A.3: one million times "a", which crosses many blocks.
TEST_P(Sha1, hashesAMillionBytes) {
  const Bytes million(1000000, 'a');
  for (const std::size_t piece : {std::size_t{0}, std::size_t{1}, std::size_t{4099}}) {
    EXPECT_EQ(Digest(million, piece), "34aa973cd4c4daa4f61eeb2bdbad27316534016f") << piece;
  }
}
