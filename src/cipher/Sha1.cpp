// SHA-1 (FIPS 180), with the CPU's SHA instructions used where present.
#include "cipher/Sha1.h"

#include <algorithm>
#include <cstring>

#include "cipher/Hardware.h"
#include "cipher/SecureMemory.h"
#include "cipher/Sha1Ni.h"

namespace AesLib {

namespace {

constexpr std::uint32_t Rotl(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

std::uint32_t LoadBe(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 |
         std::uint32_t{p[3]};
}

// The three round functions: choose, parity and majority.
constexpr std::uint32_t Choose(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
  return z ^ (x & (y ^ z));
}
constexpr std::uint32_t Parity(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
  return x ^ y ^ z;
}
constexpr std::uint32_t Majority(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
  return (x & y) | (z & (x | y));
}

struct Working {
  std::uint32_t a, b, c, d, e;
};

// Word t (16 to 79) of the message schedule, kept in a ring of 16.
inline std::uint32_t Schedule(std::uint32_t w[16], int t) {
  w[t & 15] = Rotl(w[(t - 3) & 15] ^ w[(t - 8) & 15] ^ w[(t - 14) & 15] ^ w[t & 15], 1);
  return w[t & 15];
}

// Twenty rounds from `first` with one round function and constant; the
// first sixteen rounds of a block take their words as they are.
template <std::uint32_t (*F)(std::uint32_t, std::uint32_t, std::uint32_t), std::uint32_t K>
inline void Rounds(Working& v, std::uint32_t w[16], int first) {
#pragma GCC unroll 20
  for (int t = first; t < first + 20; ++t) {
    const std::uint32_t word = t < 16 ? w[t] : Schedule(w, t);
    const std::uint32_t temp = Rotl(v.a, 5) + F(v.b, v.c, v.d) + v.e + K + word;
    v.e = v.d;
    v.d = v.c;
    v.c = Rotl(v.b, 30);
    v.b = v.a;
    v.a = temp;
  }
}

void PortableCompressBlocks(std::uint32_t h[5], const std::uint8_t* data, std::size_t blocks) {
  std::uint32_t w[16];
  for (; blocks > 0; --blocks, data += 64) {
    for (int t = 0; t < 16; ++t) w[t] = LoadBe(data + 4 * t);
    Working v{h[0], h[1], h[2], h[3], h[4]};
    Rounds<Choose, 0x5a827999>(v, w, 0);
    Rounds<Parity, 0x6ed9eba1>(v, w, 20);
    Rounds<Majority, 0x8f1bbcdc>(v, w, 40);
    Rounds<Parity, 0xca62c1d6>(v, w, 60);
    h[0] += v.a;
    h[1] += v.b;
    h[2] += v.c;
    h[3] += v.d;
    h[4] += v.e;
  }
  SecureWipe(w, sizeof w);
}

void AddCount(Sha1State& state, std::size_t length) {
  const std::uint64_t total =
      ((std::uint64_t{state.count[1]} << 32) | state.count[0]) + std::uint64_t{length};
  state.count[0] = static_cast<std::uint32_t>(total);
  state.count[1] = static_cast<std::uint32_t>(total >> 32);
}

}  // namespace

void Sha1CompressBlocks(std::uint32_t h[5], const std::uint8_t* data, std::size_t blocks) {
#if defined(__x86_64__)
  if (HardwareShaActive()) {
    Sha1NiCompressBlocks(h, data, blocks);
    return;
  }
#endif
  PortableCompressBlocks(h, data, blocks);
}

void Sha1Init(Sha1State& state) {
  std::memset(&state, 0, sizeof state);
  state.h[0] = 0x67452301;
  state.h[1] = 0xefcdab89;
  state.h[2] = 0x98badcfe;
  state.h[3] = 0x10325476;
  state.h[4] = 0xc3d2e1f0;
}

void Sha1Compress(Sha1State& state) { Sha1CompressBlocks(state.h, state.block, 1); }

void Sha1Update(Sha1State& state, const std::uint8_t* data, std::size_t length) {
  if (length == 0) return;
  std::size_t used = state.count[0] % kSha1BlockSize;
  AddCount(state, length);
  if (used != 0) {
    const std::size_t take = std::min(length, kSha1BlockSize - used);
    std::memcpy(state.block + used, data, take);
    data += take;
    length -= take;
    used += take;
    if (used < kSha1BlockSize) return;
    Sha1Compress(state);
  }
  const std::size_t blocks = length / kSha1BlockSize;
  if (blocks > 0) Sha1CompressBlocks(state.h, data, blocks);
  data += blocks * kSha1BlockSize;
  length -= blocks * kSha1BlockSize;
  if (length > 0) std::memcpy(state.block, data, length);
}

void Sha1Final(Sha1State& state, std::uint8_t digest[20]) {
  const std::uint64_t bits = ((std::uint64_t{state.count[1]} << 32) | state.count[0]) << 3;
  std::size_t used = state.count[0] % kSha1BlockSize;
  state.block[used++] = 0x80;
  if (used > kSha1BlockSize - 8) {
    std::memset(state.block + used, 0, kSha1BlockSize - used);
    Sha1Compress(state);
    used = 0;
  }
  std::memset(state.block + used, 0, kSha1BlockSize - 8 - used);
  for (int i = 0; i < 8; ++i) state.block[56 + i] = static_cast<std::uint8_t>(bits >> (56 - 8 * i));
  Sha1Compress(state);
  for (int i = 0; i < 5; ++i) {
    digest[4 * i] = static_cast<std::uint8_t>(state.h[i] >> 24);
    digest[4 * i + 1] = static_cast<std::uint8_t>(state.h[i] >> 16);
    digest[4 * i + 2] = static_cast<std::uint8_t>(state.h[i] >> 8);
    digest[4 * i + 3] = static_cast<std::uint8_t>(state.h[i]);
  }
}

}  // namespace AesLib
