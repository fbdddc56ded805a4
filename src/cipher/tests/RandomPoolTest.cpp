#include <cstring>

#include "cipher/RandomPool.h"
#include "cipher/tests/CipherTestSupport.h"

using namespace AesLib;

class RandomPoolTest : public BothPaths {
 protected:
  // A repeatable entropy source: a counting byte sequence, restarted per
  // pool, handed out at most 7 bytes at a time.
  static std::size_t Counting(std::uint8_t* out, std::size_t n) {
    n = std::min<std::size_t>(n, 7);
    for (std::size_t i = 0; i < n; ++i) out[i] = next_++;
    return n;
  }
  static void Init(RandomPool& pool) {
    next_ = 0;
    RandomPoolInit(pool, Counting);
  }
  static inline std::uint8_t next_ = 0;
};
INSTANTIATE_BOTH_PATHS(RandomPoolTest);

TEST_P(RandomPoolTest, fixedEntropyGivesTheSameBytesHoweverTheyAreRead) {
  RandomPool a, b;
  Bytes whole(3 * kRandomPoolSize + 5), pieces(whole.size());
  Init(a);
  RandomPoolRead(whole.data(), whole.size(), a);
  // 1 + 259 bytes, then the rest in uneven pieces.
  Init(b);
  RandomPoolRead(pieces.data(), 1, b);
  RandomPoolRead(pieces.data() + 1, 259, b);
  for (std::size_t at = 260; at < pieces.size(); at += 17) {
    RandomPoolRead(pieces.data() + at, std::min<std::size_t>(17, pieces.size() - at), b);
  }
  EXPECT_EQ(whole, pieces);
  // The output is not a plain copy of the entropy, nor repeats itself per refresh.
  EXPECT_NE(Bytes(whole.begin(), whole.begin() + 260),
            Bytes(whole.begin() + 260, whole.begin() + 520));
}

TEST_P(RandomPoolTest, readingNothingChangesNothing) {
  RandomPool pool;
  Init(pool);
  std::uint8_t out[260];
  RandomPoolRead(out, 260, pool);  // at the end of the output: the next read refreshes
  const RandomPool before = pool;
  RandomPoolRead(out, 0, pool);
  EXPECT_EQ(std::memcmp(&before, &pool, sizeof pool), 0);
}

TEST_P(RandomPoolTest, wipeZeroesTheWholePool) {
  RandomPool pool;
  Init(pool);
  RandomPoolWipe(pool);
  const RandomPool zero{};
  EXPECT_EQ(std::memcmp(&zero, &pool, sizeof pool), 0);
}

TEST(ClockEntropy, givesAtMostEightBytesOfARisingClock) {
  std::uint8_t first[8], second[8], three[3];
  EXPECT_EQ(ClockEntropy(first, 100), 8u);
  EXPECT_EQ(ClockEntropy(three, 3), 3u);
  EXPECT_EQ(ClockEntropy(second, 8), 8u);
  std::uint64_t a = 0, b = 0;
  for (int i = 7; i >= 0; --i) {
    a = a << 8 | first[i];
    b = b << 8 | second[i];
  }
  EXPECT_GT(b, a);
}

// Clock readings taken back to back share their high bytes (bits 40 to 63 of
// a nanosecond count turn over every 18 minutes); the system's random bytes
// leave nothing shared.
TEST(SystemEntropy, mixesTheSystemsRandomBytesIntoTheClock) {
  const auto pairsWithSameHighBytes = [](EntropySource source) {
    int same = 0;
    for (int i = 0; i < 16; ++i) {
      std::uint8_t a[8], b[8];
      EXPECT_EQ(source(a, 8), 8u);
      EXPECT_EQ(source(b, 8), 8u);
      same += std::memcmp(a + 5, b + 5, 3) == 0;
    }
    return same;
  };
  EXPECT_GE(pairsWithSameHighBytes(ClockEntropy), 15);
  EXPECT_LE(pairsWithSameHighBytes(SystemEntropy), 1);
}
