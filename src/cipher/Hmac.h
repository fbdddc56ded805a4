#pragma once

#include <cstddef>
#include <cstdint>

#include "cipher/Sha1.h"

namespace AesLib {

// keyLength takes this value once message data has begun.
inline constexpr std::uint32_t kHmacDataPhase = 0xffffffff;

struct HmacState {
  std::uint8_t key[64];  // key block; the inner pad once data has begun
  Sha1State sha;
  std::uint32_t keyLength;  // key bytes collected so far, or kHmacDataPhase
};

// HMAC-SHA1, fed incrementally. HmacSetKey may be called several times; the
// key bytes are joined, and a joined key over 64 bytes is hashed. It returns 0,
// or -1 and does nothing once HmacUpdate or HmacFinal has begun the data.
void HmacInit(HmacState& state);
int HmacSetKey(const std::uint8_t* key, std::size_t length, HmacState& state);
void HmacUpdate(const std::uint8_t* data, std::size_t length, HmacState& state);
// Writes the first n (at most 20) bytes of the tag and returns n.
std::size_t HmacFinal(std::uint8_t* out, std::size_t n, HmacState& state);
void HmacWipe(HmacState& state);

}  // namespace AesLib
