#include "generator/SetupKey.h"

#include <sys/random.h>

#include <cstdint>

#include "cipher/SecureMemory.h"
#include "cipher/Sha1.h"
#include "util/AppError.h"

namespace generator {

namespace {

std::string Hex(const std::uint8_t* bytes, std::size_t count) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (std::size_t i = 0; i < count; ++i) {
    hex += kDigits[bytes[i] >> 4];
    hex += kDigits[bytes[i] & 0xF];
  }
  return hex;
}

}  // namespace

std::string NewSetupKey() {
  std::uint8_t random[16];
  if (::getrandom(random, sizeof random, 0) != sizeof random) {
    throw UUtils::AppError("Cannot draw a key for the package's set-up pages.");
  }
  std::string key = Hex(random, sizeof random);
  AesLib::SecureWipe(random, sizeof random);
  return key;
}

std::string SetupKeyHash(const std::string& key) {
  AesLib::Sha1State state;
  AesLib::Sha1Init(state);
  AesLib::Sha1Update(state, reinterpret_cast<const std::uint8_t*>(key.data()), key.size());
  std::uint8_t digest[AesLib::kSha1DigestSize];
  AesLib::Sha1Final(state, digest);
  return Hex(digest, sizeof digest);
}

std::string SetupAddress(const std::string& key) { return "stchmod.php?key=" + key; }

}  // namespace generator
