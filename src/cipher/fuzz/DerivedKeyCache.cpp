// Key derivation for the fuzz targets: the library's PBKDF2, renamed in this
// build (see CMakeLists.txt), behind a small memo, so that each password and
// salt is derived once and the runs go to what follows. PBKDF2 is a pure
// function with tests of its own.
#include <map>
#include <string>
#include <vector>

#include "cipher/Pbkdf2.h"

namespace AesLib {

void Pbkdf2Sha1Derive(const std::uint8_t* password, std::size_t passwordLength,
                      const std::uint8_t* salt, std::size_t saltLength, std::uint32_t iterations,
                      std::uint8_t* out, std::size_t outLength);

void Pbkdf2Sha1(const std::uint8_t* password, std::size_t passwordLength, const std::uint8_t* salt,
                std::size_t saltLength, std::uint32_t iterations, std::uint8_t* out,
                std::size_t outLength) {
  // The fuzz targets use a few fixed salts; the bound only guards memory.
  constexpr std::size_t kMaxEntries = 256;
  static std::map<std::string, std::vector<std::uint8_t>> derived;

  std::string key = std::to_string(passwordLength) + ':' + std::to_string(saltLength) + ':' +
                    std::to_string(iterations) + ':' + std::to_string(outLength) + ':';
  key.append(reinterpret_cast<const char*>(password), passwordLength);
  key.append(reinterpret_cast<const char*>(salt), saltLength);
  auto found = derived.find(key);
  if (found == derived.end()) {
    if (derived.size() >= kMaxEntries) derived.clear();
    std::vector<std::uint8_t> material(outLength);
    Pbkdf2Sha1Derive(password, passwordLength, salt, saltLength, iterations, material.data(),
                     outLength);
    found = derived.emplace(std::move(key), std::move(material)).first;
  }
  std::copy(found->second.begin(), found->second.end(), out);
}

}  // namespace AesLib
