// SHA-1 compression with the CPU's SHA extensions: four rounds per
// sha1rnds4, message schedule by sha1msg1/sha1msg2.
#if defined(__x86_64__)

#include "cipher/Sha1Ni.h"

#include <immintrin.h>

#define SHANI_TARGET __attribute__((target("sha,sse4.1,ssse3")))

namespace AesLib {

namespace {

struct Lanes {
  __m128i abcd;
  __m128i previous;  // abcd before the last four rounds: source of the next e
  __m128i w[4];      // message words of the last four groups, ring
};

// One group of four rounds g (0 to 19) with round function F = g / 5.
template <int F>
SHANI_TARGET inline void Group(Lanes& s, int g, const std::uint8_t* data, __m128i e0,
                               __m128i byteSwap) {
  __m128i& w = s.w[g & 3];
  if (g < 4) {
    w = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * g)),
                         byteSwap);
  } else {
    w = _mm_sha1msg2_epu32(_mm_xor_si128(_mm_sha1msg1_epu32(w, s.w[(g + 1) & 3]), s.w[(g + 2) & 3]),
                           s.w[(g + 3) & 3]);
  }
  const __m128i e = g == 0 ? _mm_add_epi32(e0, w) : _mm_sha1nexte_epu32(s.previous, w);
  s.previous = s.abcd;
  s.abcd = _mm_sha1rnds4_epu32(s.abcd, e, F);
}

}  // namespace

SHANI_TARGET void Sha1NiCompressBlocks(std::uint32_t h[5], const std::uint8_t* data,
                                       std::size_t blocks) {
  const __m128i byteSwap = _mm_set_epi64x(0x0001020304050607LL, 0x08090a0b0c0d0e0fLL);
  __m128i abcd = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(h)), 0x1b);
  __m128i e0 = _mm_set_epi32(static_cast<int>(h[4]), 0, 0, 0);

  for (; blocks > 0; --blocks, data += 64) {
    Lanes s{};
    s.abcd = abcd;
    for (int g = 0; g < 5; ++g) Group<0>(s, g, data, e0, byteSwap);
    for (int g = 5; g < 10; ++g) Group<1>(s, g, data, e0, byteSwap);
    for (int g = 10; g < 15; ++g) Group<2>(s, g, data, e0, byteSwap);
    for (int g = 15; g < 20; ++g) Group<3>(s, g, data, e0, byteSwap);
    e0 = _mm_sha1nexte_epu32(s.previous, e0);
    abcd = _mm_add_epi32(s.abcd, abcd);
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(h), _mm_shuffle_epi32(abcd, 0x1b));
  h[4] = static_cast<std::uint32_t>(_mm_extract_epi32(e0, 3));
}

}  // namespace AesLib

#endif
