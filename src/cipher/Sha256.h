#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace AesLib {

inline constexpr std::size_t kSha256DigestSize = 32;

// The SHA-256 digest of `data`, computed in one go (host keys' fingerprints).
std::array<std::uint8_t, kSha256DigestSize> Sha256(std::string_view data);

}  // namespace AesLib
