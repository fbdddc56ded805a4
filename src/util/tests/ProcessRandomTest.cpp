#include <gtest/gtest.h>

#include "util/ProcessRandom.h"

// Sequence worked out by hand from state := state * 134775813 + 1 (mod 2^32)
// and draw := (state * bound) >> 32, starting from state 0.
TEST(ProcessRandom, drawsFollowTheGeneratorFromZero) {
  UUtils::ProcessRandom::SetState(0);
  const std::uint32_t expected[] = {0, 31, 861, 202, 272};
  for (auto value : expected) EXPECT_EQ(UUtils::ProcessRandom::Draw(1000), value);
  EXPECT_EQ(UUtils::ProcessRandom::State(), 1172187917u);
}

TEST(ProcessRandom, stateWrapsModulo2To32) {
  UUtils::ProcessRandom::SetState(0xFFFFFFFFu);
  EXPECT_EQ(UUtils::ProcessRandom::Draw(7), 6u);
  EXPECT_EQ(UUtils::ProcessRandom::State(), 4160191484u);
}

TEST(ProcessRandom, drawsStayBelowTheBound) {
  UUtils::ProcessRandom::Seed();
  for (int i = 0; i < 10000; ++i) ASSERT_LT(UUtils::ProcessRandom::Draw(3), 3u);
}
