#include "generator/DateTime.h"

#include <chrono>
#include <ctime>

#include "util/DateValue.h"

namespace generator {

namespace {

constexpr std::chrono::sys_days kEpoch{UUtils::kDayZero};
constexpr double kSecondsPerDay = 86400.0;

}  // namespace

double LocalDateTimeNow() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t seconds = system_clock::to_time_t(now);
  std::tm local{};
  ::localtime_r(&seconds, &local);
  const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  const double day = *EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                     local.tm_hour, local.tm_min);
  return day + (local.tm_sec + static_cast<double>(millis) / 1000.0) / kSecondsPerDay;
}

std::optional<double> EncodeDateTime(int year, int month, int day, int hour, int minute) {
  using namespace std::chrono;
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 ||
      hour > 23 || minute < 0 || minute > 59) {
    return {};
  }
  const year_month_day date{std::chrono::year{year},
                            std::chrono::month(static_cast<unsigned>(month)),
                            std::chrono::day(static_cast<unsigned>(day))};
  if (!date.ok()) return {};
  const auto days = (sys_days{date} - kEpoch).count();
  return static_cast<double>(days) + (hour * 60 + minute) / 1440.0;
}

}  // namespace generator
