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

void PortableCompressBlocks(std::uint32_t h[5], const std::uint8_t* data, std::size_t blocks) {
  for (; blocks > 0; --blocks, data += 64) {
    std::uint32_t w[80];
    for (int t = 0; t < 16; ++t) w[t] = LoadBe(data + 4 * t);
    for (int t = 16; t < 80; ++t) w[t] = Rotl(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);
    std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
    for (int t = 0; t < 80; ++t) {
      std::uint32_t f, k;
      if (t < 20) {
        f = (b & c) | (~b & d);
        k = 0x5a827999;
      } else if (t < 40) {
        f = b ^ c ^ d;
        k = 0x6ed9eba1;
      } else if (t < 60) {
        f = (b & c) | (b & d) | (c & d);
        k = 0x8f1bbcdc;
      } else {
        f = b ^ c ^ d;
        k = 0xca62c1d6;
      }
      const std::uint32_t temp = Rotl(a, 5) + f + e + k + w[t];
      e = d;
      d = c;
      c = Rotl(b, 30);
      b = a;
      a = temp;
    }
    h[0] += a;
    h[1] += b;
    h[2] += c;
    h[3] += d;
    h[4] += e;
    SecureWipe(w, sizeof w);
  }
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
