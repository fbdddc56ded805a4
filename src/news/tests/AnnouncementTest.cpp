#include <gtest/gtest.h>

#include "news/Announcement.h"

namespace {

TEST(NewsIdNumber, readsA32BitSignedDecimalAndCountsAnythingElseAsZero) {
  const struct {
    const char* text;
    std::int32_t number;
  } cases[] = {
      {"17", 17},
      {"-3", -3},
      {"+5", 5},
      {"007", 7},
      {"", 0},
      {"abc", 0},
      {"17a", 0},
      {" 17", 0},
      {"17 ", 0},
      {"1.5", 0},
      {"0x10", 0},
      {"+-1", 0},
      {"--1", 0},
      {"2147483647", 2147483647},
      {"2147483648", 0},
      {"-2147483648", -2147483647 - 1},
      {"-2147483649", 0},
      {"99999999999", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(news::NewsIdNumber(c.text), c.number) << c.text;
}

}  // namespace
