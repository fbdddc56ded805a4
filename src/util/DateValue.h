#pragma once

#include <chrono>

namespace UUtils {

// Date-time values are days since day zero, 00:00, as a double whose fraction
// is the time of day, without a time zone.
inline constexpr std::chrono::year_month_day kDayZero{std::chrono::year{1899},
                                                      std::chrono::December, std::chrono::day{30}};

// The value of 1 January 1970 00:00.
inline constexpr double kUnixEpochDay = static_cast<double>(
    (std::chrono::sys_days{std::chrono::year{1970} / 1 / 1} - std::chrono::sys_days{kDayZero})
        .count());

}  // namespace UUtils
