#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "generator/DateTime.h"

using namespace generator;

TEST(DateTime, encodeCountsDaysSince30December1899) {
  const struct {
    int year, month, day, hour, minute;
    std::optional<double> expected;
  } cases[] = {
      {1899, 12, 30, 0, 0, 0.0},
      {1970, 1, 1, 0, 0, 25569.0},
      {2010, 1, 1, 0, 0, 40179.0},
      {2010, 1, 1, 6, 30, 40179.0 + 390.0 / 1440},
      {2012, 2, 29, 23, 59, 40968.0 + 1439.0 / 1440},
      {1, 1, 1, 0, 0, -693593.0},
      {2010, 2, 29, 0, 0, std::nullopt},
      {2010, 4, 31, 0, 0, std::nullopt},
      {2010, 13, 1, 0, 0, std::nullopt},
      {2010, 257, 1, 0, 0, std::nullopt},
      {2010, 1, 0, 0, 0, std::nullopt},
      {2010, 1, 1, 24, 0, std::nullopt},
      {2010, 1, 1, 0, 60, std::nullopt},
      {0, 1, 1, 0, 0, std::nullopt},
      {10000, 1, 1, 0, 0, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EncodeDateTime(c.year, c.month, c.day, c.hour, c.minute), c.expected)
        << c.year << "-" << c.month << "-" << c.day << " " << c.hour << ":" << c.minute;
  }
}

TEST(DateTime, nowIsTheLocalTimeOfDay) {
  // A zone 5 hours 30 minutes east of UTC, written out so that no zone data is needed.
  ::setenv("TZ", "XYZ-05:30", 1);
  ::tzset();
  const double now = LocalDateTimeNow();
  const double expected = 25569.0 + (static_cast<double>(std::time(nullptr)) + 19800) / 86400;
  ::unsetenv("TZ");
  ::tzset();
  EXPECT_NEAR(now, expected, 5.0 / 86400);
}
