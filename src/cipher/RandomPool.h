#pragma once

#include <cstddef>
#include <cstdint>

namespace AesLib {

// Fills up to n bytes and returns how many it filled (at least 1).
using EntropySource = std::size_t (*)(std::uint8_t* out, std::size_t n);

// 260 is the smallest multiple of the SHA-1 digest size that is at least 256.
inline constexpr std::size_t kRandomPoolSize = 260;

struct RandomPool {
  std::uint8_t pool[kRandomPoolSize];
  std::uint8_t output[kRandomPoolSize];
  std::uint32_t position;  // next unused output byte, 0 to 260
  EntropySource source;
};

void RandomPoolInit(RandomPool& pool, EntropySource source);
void RandomPoolRead(std::uint8_t* out, std::size_t n, RandomPool& pool);
void RandomPoolWipe(RandomPool& pool);

// Entropy from a monotonic nanosecond clock: the first min(n, 8) bytes of its
// 64-bit reading, little-endian.
std::size_t ClockEntropy(std::uint8_t* out, std::size_t n);

// ClockEntropy's bytes, each XORed with a byte of the operating system's random
// source (getrandom), so a pool refreshed from it draws on both. Where the
// system gives no random bytes, the clock's alone.
std::size_t SystemEntropy(std::uint8_t* out, std::size_t n);

}  // namespace AesLib
