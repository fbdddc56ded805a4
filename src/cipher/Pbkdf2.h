#pragma once

#include <cstddef>
#include <cstdint>

namespace AesLib {

// PBKDF2 (RFC 2898) with HMAC-SHA1 as the pseudorandom function.
void Pbkdf2Sha1(const std::uint8_t* password, std::size_t passwordLength, const std::uint8_t* salt,
                std::size_t saltLength, std::uint32_t iterations, std::uint8_t* out,
                std::size_t outLength);

}  // namespace AesLib
