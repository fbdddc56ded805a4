#pragma once

#include <optional>

namespace generator {

// Date-time values: days since 30 December 1899 00:00 as a double whose
// fraction is the time of day, without a time zone (1 January 1970 is 25569.0).

// The current local date and time.
double LocalDateTimeNow();

// The given day and time of day; nothing when it names no real day or time
// (years 1 to 9999).
std::optional<double> EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0);

}  // namespace generator
