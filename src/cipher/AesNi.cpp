// AES with the CPU's AES-NI instructions. The functions carry their own
// target attribute, so the rest of the program is built for the baseline CPU.
#if defined(__x86_64__)

#include "cipher/AesNi.h"

#include <immintrin.h>

#include "cipher/SecureMemory.h"

#define AESNI_TARGET __attribute__((target("aes,sse4.1")))

namespace AesLib {

namespace {

// Blocks in flight at once, enough to fill the AES unit's pipeline.
constexpr std::size_t kLanes = 8;

AESNI_TARGET void LoadRoundKeys(const AesKeySchedule& schedule, __m128i keys[15]) {
  for (std::uint32_t i = 0; i <= schedule.rounds; ++i) {
    keys[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(schedule.roundKeys + 4 * i));
  }
}

AESNI_TARGET __m128i EncryptOne(__m128i block, const __m128i keys[15], std::uint32_t rounds) {
  block = _mm_xor_si128(block, keys[0]);
  for (std::uint32_t r = 1; r < rounds; ++r) block = _mm_aesenc_si128(block, keys[r]);
  return _mm_aesenclast_si128(block, keys[rounds]);
}

}  // namespace

AESNI_TARGET void AesNiEncryptBlock(const std::uint8_t in[16], std::uint8_t out[16],
                                    const AesKeySchedule& schedule) {
  __m128i keys[15];
  LoadRoundKeys(schedule, keys);
  const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), EncryptOne(block, keys, schedule.rounds));
  SecureWipe(keys, sizeof keys);
}

AESNI_TARGET void AesNiCtrBlocks(const AesKeySchedule& schedule, std::uint8_t counter[16],
                                 const std::uint8_t* in, std::uint8_t* out, std::size_t blocks,
                                 std::uint8_t lastKeystream[16]) {
  if (blocks == 0) return;
  __m128i keys[15];
  LoadRoundKeys(schedule, keys);
  const std::uint32_t rounds = schedule.rounds;
  // The low 64-bit lane is counter[0..7] as a little-endian number; adding
  // to it alone wraps at 2^64 and leaves bytes 8 to 15 alone.
  const __m128i one = _mm_set_epi64x(0, 1);
  __m128i ctr = _mm_loadu_si128(reinterpret_cast<const __m128i*>(counter));
  __m128i keystream = _mm_setzero_si128();

  for (; blocks >= kLanes; blocks -= kLanes, in += 16 * kLanes, out += 16 * kLanes) {
    __m128i lane[kLanes];
    for (std::size_t k = 0; k < kLanes; ++k) {
      ctr = _mm_add_epi64(ctr, one);
      lane[k] = _mm_xor_si128(ctr, keys[0]);
    }
    for (std::uint32_t r = 1; r < rounds; ++r) {
      for (std::size_t k = 0; k < kLanes; ++k) lane[k] = _mm_aesenc_si128(lane[k], keys[r]);
    }
    for (std::size_t k = 0; k < kLanes; ++k) {
      lane[k] = _mm_aesenclast_si128(lane[k], keys[rounds]);
      const __m128i data = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16 * k));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * k), _mm_xor_si128(data, lane[k]));
    }
    keystream = lane[kLanes - 1];
  }
  for (; blocks > 0; --blocks, in += 16, out += 16) {
    ctr = _mm_add_epi64(ctr, one);
    keystream = EncryptOne(ctr, keys, rounds);
    const __m128i data = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_xor_si128(data, keystream));
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(counter), ctr);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(lastKeystream), keystream);
  SecureWipe(keys, sizeof keys);
}

}  // namespace AesLib

#endif
