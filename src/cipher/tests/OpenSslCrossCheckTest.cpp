// Our primitives and a whole container against OpenSSL on random inputs.
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/sha.h>

#include <random>

#include "cipher/Aes.h"
#include "cipher/Crypt.h"
#include "cipher/Hmac.h"
#include "cipher/Pbkdf2.h"
#include "cipher/Sha1.h"
#include "cipher/Sha256.h"
#include "cipher/tests/CipherTestSupport.h"
#include "cipher/tests/MemoryStream.h"

using namespace AesLib;

class OpenSslCrossCheck : public BothPaths {
 protected:
  Bytes Random(std::size_t size) {
    Bytes bytes(size);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random_());
    return bytes;
  }
  std::size_t Below(std::size_t bound) { return random_() % bound; }

  std::mt19937 random_{20260101};
};
INSTANTIATE_BOTH_PATHS(OpenSslCrossCheck);

namespace {

Bytes OpenSslAesEcb(const Bytes& key, const Bytes& blocks) {
  const EVP_CIPHER* cipher = key.size() == 16   ? EVP_aes_128_ecb()
                             : key.size() == 24 ? EVP_aes_192_ecb()
                                                : EVP_aes_256_ecb();
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  EVP_EncryptInit_ex(ctx, cipher, nullptr, key.data(), nullptr);
  EVP_CIPHER_CTX_set_padding(ctx, 0);
  Bytes out(blocks.size());
  int n = 0;
  EVP_EncryptUpdate(ctx, out.data(), &n, blocks.data(), static_cast<int>(blocks.size()));
  EVP_CIPHER_CTX_free(ctx);
  return out;
}

Bytes OpenSslHmac(const Bytes& key, const Bytes& data) {
  Bytes tag(20);
  unsigned length = 0;
  HMAC(EVP_sha1(), key.data(), static_cast<int>(key.size()), data.data(), data.size(), tag.data(),
       &length);
  return tag;
}

Bytes OpenSslPbkdf2(const Bytes& password, const Bytes& salt, int iterations, std::size_t length) {
  Bytes out(length);
  PKCS5_PBKDF2_HMAC_SHA1(
      reinterpret_cast<const char*>(password.data()), static_cast<int>(password.size()),
      salt.data(), static_cast<int>(salt.size()), iterations, static_cast<int>(length), out.data());
  return out;
}

}  // namespace

TEST_P(OpenSslCrossCheck, aesAgreesOnRandomKeysAndBlocks) {
  for (int round = 0; round < 60; ++round) {
    const Bytes key = Random(16 + 8 * (round % 3));
    const Bytes block = Random(16);
    AesKeySchedule schedule;
    ASSERT_EQ(AesExpandKey(key.data(), static_cast<std::uint32_t>(key.size()), schedule), 1);
    Bytes out(16);
    AesEncryptBlock(block.data(), out.data(), schedule);
    EXPECT_EQ(out, OpenSslAesEcb(key, block)) << ToHex(key);
  }
}

TEST_P(OpenSslCrossCheck, shaAndHmacAgreeOnRandomKeysAndData) {
  for (int round = 0; round < 100; ++round) {
    const Bytes key = Random(Below(200));
    const Bytes data = Random(Below(1000));
    Sha1State sha;
    Sha1Init(sha);
    Sha1Update(sha, data.data(), data.size());
    Bytes digest(20), expected(20);
    Sha1Final(sha, digest.data());
    SHA1(data.data(), data.size(), expected.data());
    EXPECT_EQ(digest, expected) << data.size();
    const auto digest256 = Sha256({reinterpret_cast<const char*>(data.data()), data.size()});
    Bytes expected256(32);
    SHA256(data.data(), data.size(), expected256.data());
    EXPECT_EQ(Bytes(digest256.begin(), digest256.end()), expected256) << data.size();

    HmacState state;
    HmacInit(state);
    HmacSetKey(key.data(), key.size(), state);
    HmacUpdate(data.data(), data.size(), state);
    Bytes tag(20);
    HmacFinal(tag.data(), 20, state);
    EXPECT_EQ(tag, OpenSslHmac(key, data)) << key.size() << " " << data.size();
  }
}

TEST_P(OpenSslCrossCheck, pbkdf2AgreesOnRandomInputs) {
  for (int round = 0; round < 20; ++round) {
    const Bytes password = Random(Below(129));
    const Bytes salt = Random(Below(40));
    const auto iterations = static_cast<std::uint32_t>(1 + Below(300));
    const std::size_t length = 1 + Below(90);
    Bytes out(length);
    Pbkdf2Sha1(password.data(), password.size(), salt.data(), salt.size(), iterations, out.data(),
               length);
    EXPECT_EQ(out, OpenSslPbkdf2(password, salt, static_cast<int>(iterations), length));
  }
}

// A container built step by step with OpenSSL: PBKDF2 key material, AES of
// the counter blocks 1, 2, 3 ... XORed over the data, HMAC-SHA1 over the
// ciphertext, cut to 10 bytes.
TEST_P(OpenSslCrossCheck, containerMatchesOneBuiltWithOpenSsl) {
  for (const std::size_t passwordLength : {10, 40, 60}) {
    const Bytes password = Random(passwordLength);
    const Bytes plain = Random(1000 + Below(5000));
    TEncryption crypt(std::string(password.begin(), password.end()), 4096);
    MemoryStream source(plain), target;
    ASSERT_TRUE(crypt.EncryptStream(source, target));
    const Bytes& container = target.bytes();

    const int mode = crypt.Mode();
    const std::size_t k = 8 * mode + 8, s = 4 * mode + 4;
    const Bytes salt(container.begin(), container.begin() + static_cast<long>(s));
    const Bytes material = OpenSslPbkdf2(password, salt, 1000, 2 * k + 2);
    Bytes counters((plain.size() + 15) / 16 * 16, 0);
    for (std::size_t block = 0; block < counters.size() / 16; ++block) {
      const std::uint64_t value = block + 1;
      for (int i = 0; i < 8; ++i)
        counters[16 * block + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
    const Bytes keystream =
        OpenSslAesEcb(Bytes(material.begin(), material.begin() + static_cast<long>(k)), counters);
    Bytes expected = salt;
    expected.insert(expected.end(), material.end() - 2, material.end());
    Bytes cipher(plain.size());
    for (std::size_t i = 0; i < plain.size(); ++i) cipher[i] = plain[i] ^ keystream[i];
    expected.insert(expected.end(), cipher.begin(), cipher.end());
    const Bytes tag = OpenSslHmac(
        Bytes(material.begin() + static_cast<long>(k), material.begin() + static_cast<long>(2 * k)),
        cipher);
    expected.insert(expected.end(), tag.begin(), tag.begin() + 10);
    EXPECT_EQ(ToHex(container), ToHex(expected)) << "mode " << mode;
  }
}
