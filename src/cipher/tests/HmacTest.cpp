#include "cipher/Hmac.h"
#include "cipher/tests/CipherTestSupport.h"

using namespace AesLib;

class Hmac : public BothPaths {};
INSTANTIATE_BOTH_PATHS(Hmac);

namespace {

std::string Tag(const Bytes& key, const Bytes& data, std::size_t piece, std::size_t n = 20) {
  HmacState state;
  HmacInit(state);
  FeedInPieces(key, piece, [&](const std::uint8_t* p, std::size_t size) {
    EXPECT_EQ(HmacSetKey(p, size, state), 0);
  });
  FeedInPieces(data, piece,
               [&](const std::uint8_t* p, std::size_t size) { HmacUpdate(p, size, state); });
  std::uint8_t tag[20];
  EXPECT_EQ(HmacFinal(tag, n, state), n);
  return ToHex(tag, n);
}

Bytes Range(std::uint8_t from, std::uint8_t to) {
  Bytes bytes;
  for (int b = from; b <= to; ++b) bytes.push_back(static_cast<std::uint8_t>(b));
  return bytes;
}

}  // namespace

// RFC 2202, section 3: the seven HMAC-SHA1 test cases, with keys and data
// fed whole, in pieces (keys too, across the 64-byte limit) and byte by byte.
TEST_P(Hmac, meetsRfc2202) {
  const struct {
    Bytes key;
    Bytes data;
    const char* tag;
  } cases[] = {
      {Bytes(20, 0x0b), AsBytes("Hi There"), "b617318655057264e28bc0b6fb378c8ef146be00"},
      {AsBytes("Jefe"), AsBytes("what do ya want for nothing?"),
       "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79"},
      {Bytes(20, 0xaa), Bytes(50, 0xdd), "125d7342b9ac11cd91a39af48aa17b4f63f175d3"},
      {Range(1, 25), Bytes(50, 0xcd), "4c9007f4026250c6bc8414f9bf50c86c2d7235da"},
      {Bytes(20, 0x0c), AsBytes("Test With Truncation"),
       "4c1a03424b55e07fe7f27be1d58bb9324a9a5a04"},
      {Bytes(80, 0xaa), AsBytes("Test Using Larger Than Block-Size Key - Hash Key First"),
       "aa4ae5e15272d00e95705637ce8a3b55ed402112"},
      {Bytes(80, 0xaa),
       AsBytes("Test Using Larger Than Block-Size Key and Larger Than One Block-Size Data"),
       "e8e99d0f45237d786d6bbaa7965c7808bbff1a91"},
  };
  for (const auto& c : cases) {
    for (const std::size_t piece : kFeedings) {
      EXPECT_EQ(Tag(c.key, c.data, piece), c.tag) << c.tag << " in pieces of " << piece;
    }
  }
  // Case 5 truncated to 96 bits, and the 10 bytes the container keeps.
  EXPECT_EQ(Tag(Bytes(20, 0x0c), AsBytes("Test With Truncation"), 0, 12),
            "4c1a03424b55e07fe7f27be1");
  EXPECT_EQ(Tag(Bytes(20, 0x0c), AsBytes("Test With Truncation"), 0, 10), "4c1a03424b55e07fe7f2");
}

TEST_P(Hmac, keyInSeveralCallsEqualsTheJoinedKey) {
  for (const std::size_t length : {10, 64, 65, 100, 128}) {
    const Bytes key = Range(1, static_cast<std::uint8_t>(length));
    const Bytes data = AsBytes("message");
    const std::string whole = Tag(key, data, 0);
    for (const std::size_t split : {std::size_t{1}, length / 2, std::size_t{63}, std::size_t{64}}) {
      if (split >= length) continue;
      HmacState state;
      HmacInit(state);
      EXPECT_EQ(HmacSetKey(key.data(), split, state), 0);
      EXPECT_EQ(HmacSetKey(key.data() + split, length - split, state), 0);
      HmacUpdate(data.data(), data.size(), state);
      std::uint8_t tag[20];
      HmacFinal(tag, 20, state);
      EXPECT_EQ(ToHex(tag, 20), whole) << length << " split at " << split;
    }
  }
}

TEST_P(Hmac, setKeyAfterDataIsRefusedAndChangesNothing) {
  const Bytes key = AsBytes("Jefe");
  HmacState state;
  HmacInit(state);
  HmacSetKey(key.data(), key.size(), state);
  const Bytes head = AsBytes("what do ya want ");
  const Bytes tail = AsBytes("for nothing?");
  HmacUpdate(head.data(), head.size(), state);
  const HmacState before = state;
  EXPECT_EQ(HmacSetKey(key.data(), key.size(), state), -1);
  EXPECT_EQ(std::memcmp(&before, &state, sizeof state), 0);
  HmacUpdate(tail.data(), tail.size(), state);
  std::uint8_t tag[20];
  HmacFinal(tag, 20, state);
  EXPECT_EQ(ToHex(tag, 20), "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79");
}
