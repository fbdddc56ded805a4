#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "generator/OfferSettings.h"
#include "generator/ScriptValues.h"
#include "util/AppError.h"

using namespace generator;

TEST(ExpiryTimestamp, movesByTheZoneAndSubtractsTheFixedOffset) {
  const struct {
    double dateTime;
    std::int64_t zone;
    std::int64_t expected;
  } cases[] = {
      // 1 January 2010 00:00 with zones 0, 5 and -5.
      {40179.0, 0, 1262297400},
      {40179.0, 5, 1262315400},
      {40179.0, -5, 1262279400},
      {25569.0, 0, -6600},
      // Exact half seconds (1/256 day = 337.5 s) round to the even second.
      {25569.0 + 1.0 / 256, 0, 338 - 6600},
      {25569.0 + 3.0 / 256, 0, 1012 - 6600},
      {25569.0 - 3.0 / 256, 0, -1012 - 6600},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExpiryTimestamp(c.dateTime, c.zone), c.expected) << c.dateTime << " zone " << c.zone;
  }
}

TEST(ExpiryTimestamp, resultBeyond64BitsRaisesAppError) {
  const struct {
    double dateTime;
    std::int64_t zone;
  } cases[] = {
      {1e300, 0},
      {-1e300, 0},
      {std::nan(""), 0},
      {std::numeric_limits<double>::infinity(), 0},
      {40179.0, std::numeric_limits<std::int64_t>::max()},
      {40179.0, std::numeric_limits<std::int64_t>::min()},
  };
  for (const auto& c : cases) {
    EXPECT_THROW(ExpiryTimestamp(c.dateTime, c.zone), UUtils::AppError)
        << c.dateTime << " " << c.zone;
  }
}

TEST(WholeNumber, truncatesTowardZeroAndRefusesWhatDoesNotFit) {
  EXPECT_EQ(WholeNumber(0.9), 0);
  EXPECT_EQ(WholeNumber(-0.9), 0);
  EXPECT_EQ(WholeNumber(-3.7), -3);
  EXPECT_EQ(WholeNumber(10000000.0), 10000000);
  EXPECT_EQ(WholeNumber(-9223372036854775808.0), std::numeric_limits<std::int64_t>::min());
  for (double bad :
       {9223372036854775808.0, -1e19, std::nan(""), std::numeric_limits<double>::infinity()}) {
    EXPECT_THROW(WholeNumber(bad), UUtils::AppError) << bad;
  }
}

// The HTML form of every colour the panel offers, as the server scripts expect it.
TEST(ColorToHtml, writesRedGreenBlueForEveryOfferedColour) {
  const char* expected[] = {"#000000", "#800000", "#008000", "#808000", "#000080", "#800080",
                            "#008080", "#808080", "#C0C0C0", "#FF0000", "#00FF00", "#FFFF00",
                            "#0000FF", "#FF00FF", "#00FFFF", "#FFFFFF"};
  for (std::size_t i = 0; i < kBarColors.size(); ++i) {
    EXPECT_EQ(ColorToHtml(kBarColors[i].value), expected[i]) << kBarColors[i].name;
  }
}

TEST(ColorToHtml, dropsTheHighestByte) { EXPECT_EQ(ColorToHtml(0xFF123456), "#563412"); }
