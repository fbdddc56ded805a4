#pragma once

#include <cstdint>
#include <string>

namespace generator {

// Whether the system's time-zone database knows `place`, such as "Europe/Berlin".
bool IsZonePlace(const std::string& place);

// The Time Zone number that ends the offer at the date-time value `local` read
// as the wall-clock time in `place`: the place's offset from UTC at that
// moment, daylight saving included, negated and in hours (Berlin in winter,
// an hour ahead of UTC, gives -1). Throws AppError saying why when the
// database does not know the place, the clocks skip that time there, or the
// offset then is no whole number of hours, which the number cannot express.
std::int64_t ZoneNumberForPlace(const std::string& place, double local);

}  // namespace generator
