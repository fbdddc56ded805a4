#include "generator/ScriptValues.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "util/AppError.h"
#include "util/DateValue.h"

namespace generator {

namespace {

// 2^63: the first double beyond the signed 64-bit range.
constexpr double kInt64Limit = 9223372036854775808.0;

bool FitsInt64(double value) { return value >= -kInt64Limit && value < kInt64Limit; }

std::string FormatDouble(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

double RoundHalfEven(double value) {
  const double below = std::floor(value);
  const double fraction = value - below;
  if (fraction > 0.5) return below + 1;
  if (fraction < 0.5) return below;
  return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

}  // namespace

std::int64_t WholeNumber(double value) {
  const double whole = std::trunc(value);
  if (!FitsInt64(whole)) {
    throw UUtils::AppError("The number " + FormatDouble(value) +
                           " cannot be written: it is not a whole number of at most 64 bits.");
  }
  return static_cast<std::int64_t>(whole);
}

std::int64_t ExpiryTimestamp(double dateTime, std::int64_t zoneHours) {
  const double moved = (dateTime * 24 + static_cast<double>(zoneHours)) / 24;
  const double seconds = RoundHalfEven((moved - UUtils::kUnixEpochDay) * 86400);
  if (!FitsInt64(seconds) || static_cast<std::int64_t>(seconds) <
                                 std::numeric_limits<std::int64_t>::min() + kExpiryOffsetSeconds) {
    throw UUtils::AppError("The expiry date " + FormatDouble(dateTime) + " with time zone " +
                           std::to_string(zoneHours) +
                           " cannot be written: it lies outside the range of a 64-bit timestamp.");
  }
  return static_cast<std::int64_t>(seconds) - kExpiryOffsetSeconds;
}

std::string ColorToHtml(std::uint32_t color) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string html = "#";
  for (int shift = 0; shift <= 16; shift += 8) {
    const unsigned byte = (color >> shift) & 0xFF;
    html += kDigits[byte >> 4];
    html += kDigits[byte & 0xF];
  }
  return html;
}

std::string PhpStringBody(std::string_view text) {
  std::string body;
  body.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '\\':
        body += "\\\\";
        break;
      case '"':
        body += "\\\"";
        break;
      case '$':
        body += "\\$";
        break;
      case '\r':
        body += "\\r";
        break;
      case '\n':
        body += "\\n";
        break;
      default:
        body += c;
    }
  }
  return body;
}

}  // namespace generator
