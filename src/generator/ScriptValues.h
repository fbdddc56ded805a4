#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "generator/PackageContract.h"

namespace generator {

// How the settings are written into the configuration file.

// The whole number a spin field holds: its value truncated toward zero.
// Throws AppError when the value is not a number or does not fit 64 bits.
std::int64_t WholeNumber(double value);

// Seconds since 1970-01-01 00:00 UTC for the expiry date-time `dateTime` moved
// by `zoneHours`, less kExpiryOffsetSeconds.
// Rounds to the nearest second, a tie to the even one. Throws AppError when
// the result does not fit 64 bits.
std::int64_t ExpiryTimestamp(double dateTime, std::int64_t zoneHours);

// "#RRGGBB" for a colour value with red in the lowest byte; the highest byte
// is dropped.
std::string ColorToHtml(std::uint32_t color);

// The body of a PHP double-quoted string literal that reads back as `text`
// exactly: backslash, double quote and dollar are escaped, and so are CR and
// LF, which keeps every value on its own line of the file.
std::string PhpStringBody(std::string_view text);

}  // namespace generator
