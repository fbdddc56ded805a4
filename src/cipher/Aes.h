#pragma once

#include <cstddef>
#include <cstdint>

namespace AesLib {

inline constexpr std::uint32_t kAesBlockSize = 16;
// Flag bit of AesKeySchedule::flags: an encryption key has been expanded.
inline constexpr std::uint32_t kAesEncryptKeySet = 0x100;

// The expanded encryption key. Round keys are stored in the byte order of the
// standard (each word holds four consecutive key bytes, first byte lowest).
struct AesKeySchedule {
  std::uint32_t roundKeys[60];
  std::uint32_t rounds;  // 10, 12 or 14; 0 after a failed expansion
  std::uint32_t flags;   // block size 16, plus kAesEncryptKeySet
};

// Accepts 16, 24 or 32 (bytes) or 128, 192 or 256 (bits). Returns 1, or 0 with
// rounds 0 and no key set for any other length.
int AesExpandKey(const std::uint8_t* key, std::uint32_t keyLength, AesKeySchedule& schedule);

// Encrypts one block; returns 1, or 0 without output when no key is set.
int AesEncryptBlock(const std::uint8_t in[16], std::uint8_t out[16],
                    const AesKeySchedule& schedule);

// Counter mode over whole blocks: for each block, adds 1 to the little-endian
// 64-bit number in counter[0..7], encrypts the counter into the keystream and
// XORs it with the input. `lastKeystream` receives the final keystream block.
// The schedule must hold a key.
void AesCtrBlocks(const AesKeySchedule& schedule, std::uint8_t counter[16], const std::uint8_t* in,
                  std::uint8_t* out, std::size_t blocks, std::uint8_t lastKeystream[16]);

// Adds 1 to the little-endian 64-bit number in counter[0..7]; bytes 8 to 15
// never change.
void AesIncrementCounter(std::uint8_t counter[16]);

}  // namespace AesLib
