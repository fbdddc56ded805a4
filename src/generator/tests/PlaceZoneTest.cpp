#include <gtest/gtest.h>

#include "generator/DateTime.h"
#include "generator/PlaceZone.h"
#include "generator/ScriptValues.h"
#include "util/AppError.h"

using namespace generator;

TEST(PlaceZone, theNumberEndsTheOfferAtThatWallClockTimeInThePlace) {
  const struct {
    const char* place;
    int year, month, day, hour, minute;
    std::int64_t number;
    std::int64_t endsAt;  // the end, seconds since 1970 UTC
  } cases[] = {
      // 18:00 in Berlin: 17:00 UTC in winter, 16:00 UTC in summer.
      {"Europe/Berlin", 2026, 1, 15, 18, 0, -1, 1768496400},
      {"Europe/Berlin", 2026, 7, 15, 18, 0, -2, 1784131200},
      // New York, behind UTC: a positive number moves the end later.
      {"America/New_York", 2026, 1, 15, 18, 0, 5, 1768518000},
      {"America/New_York", 2026, 7, 15, 18, 0, 4, 1784152800},
      {"UTC", 2026, 7, 15, 18, 0, 0, 1784138400},
  };
  for (const auto& c : cases) {
    const double local = *EncodeDateTime(c.year, c.month, c.day, c.hour, c.minute);
    const auto number = ZoneNumberForPlace(c.place, local);
    EXPECT_EQ(number, c.number) << c.place << " " << c.month;
    // The package ends the offer 6600 seconds after what the tool writes.
    EXPECT_EQ(ExpiryTimestamp(local, number) + 6600, c.endsAt) << c.place << " " << c.month;
  }
}

TEST(PlaceZone, whatTheNumberCannotExpressIsRefusedWithTheReason) {
  const struct {
    const char* place;
    int month, day, hour, minute;
    const char* reason;
  } cases[] = {
      {"Asia/Kolkata", 1, 15, 18, 0,
       "at 18:00 on 2026-01-15, Asia/Kolkata is 5:30 hours ahead of UTC, and the Time Zone "
       "number takes whole hours only"},
      {"America/St_Johns", 1, 15, 18, 0,
       "at 18:00 on 2026-01-15, America/St_Johns is 3:30 hours behind UTC, and the Time Zone "
       "number takes whole hours only"},
      // Clocks move from 02:00 to 03:00 on 29 March 2026 in Berlin.
      {"Europe/Berlin", 3, 29, 2, 30,
       "02:30 on 2026-03-29 does not exist in Europe/Berlin: the clocks skip it there when "
       "daylight saving time begins"},
      {"Mars/Olympus_Mons", 1, 15, 18, 0,
       "Mars/Olympus_Mons is no place of the system's time-zone database"},
  };
  for (const auto& c : cases) {
    try {
      ZoneNumberForPlace(c.place, *EncodeDateTime(2026, c.month, c.day, c.hour, c.minute));
      ADD_FAILURE() << c.place;
    } catch (const UUtils::AppError& e) {
      EXPECT_EQ(std::string(e.what()), c.reason);
    }
  }
  EXPECT_TRUE(IsZonePlace("Europe/Berlin"));
  EXPECT_FALSE(IsZonePlace("Mars/Olympus_Mons"));
  EXPECT_FALSE(IsZonePlace("5"));
}
