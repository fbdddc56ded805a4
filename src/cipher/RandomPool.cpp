#include "cipher/RandomPool.h"

#include <sys/random.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "cipher/SecureMemory.h"
#include "cipher/Sha1.h"

namespace AesLib {

namespace {

constexpr std::size_t kStep = kSha1DigestSize;
constexpr int kInitialMixes = 20;

std::uint32_t LoadLe(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

// Runs the SHA-1 compression over the buffer in 13 overlapping steps: each
// step chains from the 20 bytes before offset i, compresses the 64 bytes from
// i on (wrapping round) and stores the result at i.
void Mix(std::uint8_t buffer[kRandomPoolSize]) {
  std::uint32_t h[5];
  std::uint8_t block[kSha1BlockSize];
  for (std::size_t i = 0; i < kRandomPoolSize; i += kStep) {
    const std::size_t before = (i + kRandomPoolSize - kStep) % kRandomPoolSize;
    for (int w = 0; w < 5; ++w) h[w] = LoadLe(buffer + before + 4 * w);
    for (std::size_t k = 0; k < kSha1BlockSize; ++k) block[k] = buffer[(i + k) % kRandomPoolSize];
    Sha1CompressBlocks(h, block, 1);
    for (int w = 0; w < 5; ++w) {
      for (int b = 0; b < 4; ++b)
        buffer[i + 4 * w + b] = static_cast<std::uint8_t>(h[w] >> (8 * b));
    }
  }
  SecureWipe(h, sizeof h);
  SecureWipe(block, sizeof block);
}

void Refresh(RandomPool& pool) {
  std::memcpy(pool.output, pool.pool, kRandomPoolSize);
  for (std::size_t filled = 0; filled < kRandomPoolSize;) {
    filled += pool.source(pool.pool + filled, kRandomPoolSize - filled);
  }
  for (std::size_t i = 0; i < kRandomPoolSize; ++i) {
    pool.pool[i] ^= static_cast<std::uint8_t>(~pool.output[i]);
  }
  Mix(pool.pool);
  Mix(pool.output);
}

}  // namespace

void RandomPoolInit(RandomPool& pool, EntropySource source) {
  std::memset(&pool, 0, sizeof pool);
  pool.source = source;
  Refresh(pool);
  for (int i = 0; i < kInitialMixes; ++i) Mix(pool.pool);
  Refresh(pool);
}

void RandomPoolRead(std::uint8_t* out, std::size_t n, RandomPool& pool) {
  while (n > 0) {
    if (pool.position == kRandomPoolSize) {
      Refresh(pool);
      pool.position = 0;
    }
    const std::size_t take = std::min<std::size_t>(n, kRandomPoolSize - pool.position);
    std::memcpy(out, pool.output + pool.position, take);
    pool.position += static_cast<std::uint32_t>(take);
    out += take;
    n -= take;
  }
}

void RandomPoolWipe(RandomPool& pool) { SecureWipe(&pool, sizeof pool); }

std::size_t ClockEntropy(std::uint8_t* out, std::size_t n) {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  const auto ticks =
      static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
  const std::size_t count = std::min<std::size_t>(n, 8);
  for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<std::uint8_t>(ticks >> (8 * i));
  return count;
}

std::size_t SystemEntropy(std::uint8_t* out, std::size_t n) {
  const std::size_t count = ClockEntropy(out, n);
  std::uint8_t random[8];
  if (::getrandom(random, count, 0) == static_cast<ssize_t>(count)) {
    for (std::size_t i = 0; i < count; ++i) out[i] ^= random[i];
  }
  SecureWipe(random, sizeof random);
  return count;
}

}  // namespace AesLib
