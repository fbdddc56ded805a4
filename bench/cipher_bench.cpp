// The settings cipher against OpenSSL doing the same work: key derivation
// (34 bytes, 1000 iterations) and a 64 MiB container streamed both ways
// (OpenSSL: AES-128-CTR plus HMAC-SHA1). Prints times and ratios; a ratio
// above 1 means ours is faster.
#include <openssl/core_names.h>
#include <openssl/evp.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "cipher/AesLib.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kStreamSize = 64u << 20;
constexpr std::size_t kChunk = 262144;
constexpr int kDerivations = 300;
constexpr int kRepeats = 3;
const std::string kPassword = "wodnexhutr";
const std::uint8_t kSalt[8] = {1, 2, 3, 4, 5, 6, 7, 8};

// A stream over a caller's buffer, allocated (and touched) before timing.
class BufferStream : public AesLib::ByteStream {
 public:
  BufferStream(Bytes& bytes, std::size_t size) : bytes_(bytes), size_(size) {}
  std::size_t Read(std::uint8_t* data, std::size_t n) override {
    n = std::min(n, size_ - position_);
    std::memcpy(data, bytes_.data() + position_, n);
    position_ += n;
    return n;
  }
  std::size_t Write(const std::uint8_t* data, std::size_t n) override {
    n = std::min(n, bytes_.size() - position_);
    std::memcpy(bytes_.data() + position_, data, n);
    position_ += n;
    return n;
  }
  std::int64_t Size() override { return static_cast<std::int64_t>(size_); }

 private:
  Bytes& bytes_;
  std::size_t size_;
  std::size_t position_ = 0;
};

// Best wall time of a few runs, in seconds.
double Best(const std::function<void()>& work) {
  double best = 1e30;
  for (int i = 0; i < kRepeats; ++i) {
    const auto start = Clock::now();
    work();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return best;
}

void Fail(const char* what) {
  std::fprintf(stderr, "cipher_bench: %s\n", what);
  std::exit(1);
}

void OpenSslDerive(std::uint8_t* out, std::size_t length) {
  PKCS5_PBKDF2_HMAC_SHA1(kPassword.data(), static_cast<int>(kPassword.size()), kSalt, sizeof kSalt,
                         1000, static_cast<int>(length), out);
}

// The same container work with OpenSSL: key material, then AES-128-CTR and
// HMAC-SHA1 over the ciphertext, chunk by chunk.
void OpenSslStream(const Bytes& in, Bytes& out, bool encrypt) {
  std::uint8_t material[34];
  OpenSslDerive(material, sizeof material);
  std::uint8_t iv[16] = {1};
  EVP_CIPHER_CTX* cipher = EVP_CIPHER_CTX_new();
  EVP_EncryptInit_ex(cipher, EVP_aes_128_ctr(), nullptr, material, iv);
  EVP_MAC* mac = EVP_MAC_fetch(nullptr, "HMAC", nullptr);
  EVP_MAC_CTX* hmac = EVP_MAC_CTX_new(mac);
  char digest[] = "SHA1";
  OSSL_PARAM params[] = {OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0),
                         OSSL_PARAM_construct_end()};
  EVP_MAC_init(hmac, material + 16, 16, params);
  out.resize(in.size());
  for (std::size_t at = 0; at < in.size(); at += kChunk) {
    const std::size_t n = std::min(kChunk, in.size() - at);
    int written = 0;
    if (!encrypt) EVP_MAC_update(hmac, in.data() + at, n);
    EVP_EncryptUpdate(cipher, out.data() + at, &written, in.data() + at, static_cast<int>(n));
    if (encrypt) EVP_MAC_update(hmac, out.data() + at, n);
  }
  std::uint8_t tag[20];
  std::size_t tagLength = 0;
  EVP_MAC_final(hmac, tag, &tagLength, sizeof tag);
  EVP_MAC_CTX_free(hmac);
  EVP_MAC_free(mac);
  EVP_CIPHER_CTX_free(cipher);
}

void Row(const char* name, double ours, double theirs, const char* unit, double scale) {
  std::printf("%-34s ours %9.2f %-6s OpenSSL %9.2f %-6s ratio %.2f\n", name, scale / ours, unit,
              scale / theirs, unit, theirs / ours);
}

}  // namespace

int main() {
  std::printf("AES instructions: %s, SHA instructions: %s\n",
              AesLib::HardwareAesActive() ? "yes" : "no",
              AesLib::HardwareShaActive() ? "yes" : "no");

  std::uint8_t ours[34], theirs[34];
  AesLib::Pbkdf2Sha1(reinterpret_cast<const std::uint8_t*>(kPassword.data()), kPassword.size(),
                     kSalt, sizeof kSalt, 1000, ours, sizeof ours);
  OpenSslDerive(theirs, sizeof theirs);
  if (std::memcmp(ours, theirs, sizeof ours) != 0) Fail("key derivations differ");
  const double ourDerive = Best([&] {
    for (int i = 0; i < kDerivations; ++i) {
      AesLib::Pbkdf2Sha1(reinterpret_cast<const std::uint8_t*>(kPassword.data()), kPassword.size(),
                         kSalt, sizeof kSalt, 1000, ours, sizeof ours);
    }
  });
  const double theirDerive = Best([&] {
    for (int i = 0; i < kDerivations; ++i) OpenSslDerive(theirs, sizeof theirs);
  });
  Row("key derivation (34 B, 1000 it.)", ourDerive, theirDerive, "/s", kDerivations);

  Bytes plain(kStreamSize);
  for (std::size_t i = 0; i < plain.size(); ++i)
    plain[i] = static_cast<std::uint8_t>(i * 2654435761u >> 13);
  Bytes container(kStreamSize + 20, 0), back(kStreamSize, 0);
  const double ourEncrypt = Best([&] {
    AesLib::TEncryption crypt(kPassword, static_cast<std::uint32_t>(kChunk));
    BufferStream source(plain, plain.size()), target(container, 0);
    if (!crypt.EncryptStream(source, target)) Fail("encryption failed");
  });
  const double ourDecrypt = Best([&] {
    AesLib::TEncryption crypt(kPassword, static_cast<std::uint32_t>(kChunk));
    BufferStream source(container, container.size()), target(back, 0);
    if (!crypt.DecryptStream(source, target, static_cast<std::int64_t>(container.size()))) {
      Fail("decryption failed");
    }
  });
  if (back != plain) Fail("decryption gave other bytes");
  Bytes cipher(kStreamSize, 0);
  const double theirEncrypt = Best([&] { OpenSslStream(plain, cipher, true); });
  const double theirDecrypt = Best([&] { OpenSslStream(cipher, back, false); });
  const double mib = static_cast<double>(kStreamSize) / (1 << 20);
  Row("encrypt 64 MiB container", ourEncrypt, theirEncrypt, "MiB/s", mib);
  Row("decrypt 64 MiB container", ourDecrypt, theirDecrypt, "MiB/s", mib);
  return 0;
}
