#include <cstring>

#include "cipher/FileCipher.h"
#include "cipher/tests/CipherTestSupport.h"

using namespace AesLib;

class FileCipher : public BothPaths {};
INSTANTIATE_BOTH_PATHS(FileCipher);

namespace {

const Bytes kPassword = AsBytes("wodnexhutr");
const Bytes kSalt = Hex("0001020304050607");

Bytes Plain(std::size_t size) {
  Bytes plain(size);
  for (std::size_t i = 0; i < size; ++i) plain[i] = static_cast<std::uint8_t>(i * 31 + 7);
  return plain;
}

// Ciphertext followed by the authentication code, fed in pieces.
Bytes Encrypt(const Bytes& plain, std::size_t piece, bool decrypt = false) {
  FileCipherContext context;
  std::uint8_t verifier[2];
  EXPECT_EQ(FileCipherInit(1, kPassword.data(), 10, kSalt.data(), verifier, context), 0);
  Bytes out = plain;
  std::size_t at = 0;
  FeedInPieces(plain, piece, [&](const std::uint8_t*, std::size_t n) {
    if (decrypt) {
      FileCipherDecrypt(out.data() + at, n, context);
    } else {
      FileCipherEncrypt(out.data() + at, n, context);
    }
    at += n;
  });
  std::uint8_t mac[10];
  EXPECT_EQ(FileCipherMac(mac, context), 10);
  out.insert(out.end(), mac, mac + 10);
  return out;
}

}  // namespace

TEST_P(FileCipher, chunkingNeverChangesTheBytes) {
  const Bytes plain = Plain(1000);
  const Bytes whole = Encrypt(plain, 0);
  for (const std::size_t piece : {1, 15, 16, 17, 100, 129}) {
    EXPECT_EQ(Encrypt(plain, piece), whole) << piece;
  }
  // Decryption takes back the ciphertext under the same code.
  const Bytes cipher(whole.begin(), whole.end() - 10);
  for (const std::size_t piece : {0, 1, 33}) {
    const Bytes back = Encrypt(cipher, piece, true);
    EXPECT_EQ(Bytes(back.begin(), back.end() - 10), plain);
    EXPECT_EQ(Bytes(back.end() - 10, back.end()), Bytes(whole.end() - 10, whole.end()));
  }
}

TEST_P(FileCipher, refusalsLeaveContextAndVerifierUntouched) {
  const Bytes longPassword(129, 'p');
  const struct {
    int mode;
    std::uint32_t passwordLength;
    int code;
  } cases[] = {{1, 129, kFileCipherPasswordTooLong},
               {0, 10, kFileCipherBadMode},
               {4, 10, kFileCipherBadMode},
               {-1, 10, kFileCipherBadMode},
               {7, 129, kFileCipherPasswordTooLong}};
  for (const auto& c : cases) {
    FileCipherContext context;
    std::memset(&context, 0x5a, sizeof context);
    std::uint8_t verifier[2] = {0x77, 0x77};
    EXPECT_EQ(FileCipherInit(c.mode, longPassword.data(), c.passwordLength, kSalt.data(), verifier,
                             context),
              c.code);
    FileCipherContext expected;
    std::memset(&expected, 0x5a, sizeof expected);
    EXPECT_EQ(std::memcmp(&context, &expected, sizeof context), 0);
    EXPECT_EQ(verifier[0], 0x77);
    EXPECT_EQ(verifier[1], 0x77);
  }
  FileCipherContext context;
  std::uint8_t verifier[2];
  EXPECT_EQ(FileCipherInit(3, longPassword.data(), 128, Bytes(16, 1).data(), verifier, context), 0);
  EXPECT_EQ(context.schedule.rounds, 14u);
}
