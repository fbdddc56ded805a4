#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Header-only, so the fuzz targets, which build the cipher alone, can use it.
namespace testsupport {

// Bytes from pairs of hex digits; a trailing odd digit is ignored.
inline std::vector<std::uint8_t> Hex(std::string_view hex) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(
        static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  }
  return bytes;
}

// Lower-case hex digits of the bytes.
inline std::string ToHex(const std::uint8_t* data, std::size_t size) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (std::size_t i = 0; i < size; ++i) {
    hex += kDigits[data[i] >> 4];
    hex += kDigits[data[i] & 15];
  }
  return hex;
}

inline std::string ToHex(const std::vector<std::uint8_t>& bytes) {
  return ToHex(bytes.data(), bytes.size());
}

}  // namespace testsupport
