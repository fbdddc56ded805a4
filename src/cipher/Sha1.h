#pragma once

#include <cstddef>
#include <cstdint>

namespace AesLib {

inline constexpr std::size_t kSha1DigestSize = 20;
inline constexpr std::size_t kSha1BlockSize = 64;

struct Sha1State {
  std::uint32_t count[2];  // bytes fed so far, low word first
  std::uint32_t h[5];      // chaining words
  std::uint8_t block[64];  // partial block
};

void Sha1Init(Sha1State& state);
void Sha1Update(Sha1State& state, const std::uint8_t* data, std::size_t length);
void Sha1Final(Sha1State& state, std::uint8_t digest[20]);
// Processes the block buffer into the chaining words.
void Sha1Compress(Sha1State& state);
// Processes `blocks` consecutive 64-byte blocks into the chaining words.
void Sha1CompressBlocks(std::uint32_t h[5], const std::uint8_t* data, std::size_t blocks);

}  // namespace AesLib
