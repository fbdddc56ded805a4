#include "generator/OfferSummary.h"

#include <ctime>
#include <optional>

#include "generator/ScriptValues.h"
#include "util/AppError.h"

namespace generator {

namespace {

constexpr char kTimeLeftToken[] = "%%timeleft%%";
constexpr char kCopiesLeftToken[] = "%%copiesleft%%";

std::string Count(std::int64_t count, const std::string& unit) {
  return std::to_string(count) + " " + unit + (count == 1 ? "" : "s");
}

std::string TwoDigits(int value) {
  std::string digits = std::to_string(value);
  if (digits.size() < 2) digits.insert(0, 1, '0');
  return digits;
}

std::string Day(const std::tm& t) {
  static const char* const kDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                      "Thursday", "Friday", "Saturday"};
  static const char* const kMonths[] = {"January",   "February", "March",    "April",
                                        "May",       "June",     "July",     "August",
                                        "September", "October",  "November", "December"};
  return std::string(kDays[t.tm_wday]) + " " + std::to_string(t.tm_mday) + " " + kMonths[t.tm_mon] +
         " " + std::to_string(t.tm_year + 1900LL);
}

std::string Clock(const std::tm& t) {
  std::string clock = TwoDigits(t.tm_hour);
  clock += ':';
  clock += TwoDigits(t.tm_min);
  if (t.tm_sec != 0) {
    clock += ':';
    clock += TwoDigits(t.tm_sec);
  }
  return clock;
}

bool SameDay(const std::tm& a, const std::tm& b) {
  return a.tm_year == b.tm_year && a.tm_yday == b.tm_yday;
}

// "Thursday 10 December 2026 at 14:00 your time, 13:00 UTC", the UTC day
// named as well when it differs.
std::optional<std::string> EndsAt(std::int64_t instant) {
  const std::time_t seconds = static_cast<std::time_t>(instant);
  std::tm local{};
  std::tm utc{};
  if (!::localtime_r(&seconds, &local) || !::gmtime_r(&seconds, &utc)) return {};
  std::string text = Day(local) + " at " + Clock(local) + " your time, ";
  if (!SameDay(local, utc)) text += Day(utc) + " at ";
  return text + Clock(utc) + " UTC";
}

// "90 minutes (1 hour 30 minutes)": whole minutes, and in days, hours and
// minutes from an hour up.
std::string Duration(std::int64_t minutes) {
  std::string text = Count(minutes, "minute");
  if (minutes < 60) return text;
  std::string parts;
  const auto add = [&parts](std::int64_t count, const char* unit) {
    if (count == 0) return;
    if (!parts.empty()) parts += ' ';
    parts += Count(count, unit);
  };
  add(minutes / 1440, "day");
  add(minutes / 60 % 24, "hour");
  add(minutes % 60, "minute");
  return text + " (" + parts + ")";
}

bool Shows(const OfferSettings& s, const char* token) {
  return s.hurrexText.find(token) != std::string::npos;
}

void Summarize(const OfferSettings& s, std::int64_t now, OfferSummary& summary) {
  auto& lines = summary.lines;
  auto& warnings = summary.warnings;
  if (s.expiryDate) {
    // The instant the server ends the offer: the written expiry plus the offset it adds back.
    const auto ends =
        ExpiryTimestamp(s.expiryDateValue, WholeNumber(s.timeZone)) + kExpiryOffsetSeconds;
    const auto when = EndsAt(ends);
    lines.push_back(when ? "Ends " + *when + "."
                         : "Ends at " + std::to_string(ends) + " seconds after 1970 began (UTC).");
    if (ends <= now) warnings.push_back("The expiry has already passed: the offer is over.");
  }
  if (s.oneTimeOffer) {
    const auto timeOut = WholeNumber(s.timeOut);
    lines.push_back("Each visitor has " + Duration(timeOut) + " from their first view.");
    if (timeOut <= 0) {
      warnings.push_back(
          "A one-time offer with a time-out of 0 minutes is over before a visitor's first view.");
    }
  }
  const bool timeLimit = s.expiryDate || s.oneTimeOffer;
  const auto maxSales = WholeNumber(s.maxNumSales);
  const bool copyLimit = maxSales > 0;
  if (copyLimit) lines.push_back("Closes after " + Count(maxSales, "sale") + ".");
  if (!timeLimit && !copyLimit) {
    lines.push_back("No time limit and no copy limit: the offer never closes.");
  }
  if (!s.redirectPage.empty()) {
    lines.push_back("Next page: " + s.redirectPage +
                    ", for visitors once the offer has closed and for buyers sent to "
                    "stthanksredirect.php.");
  } else if (timeLimit || copyLimit) {
    lines.push_back("No next page: once the offer has closed, the page shows the bar closed.");
  }

  // A token the offer needs shows its figure; one it does not need reads empty.
  const auto token = [&](const char* name, bool needed, const char* figure, const char* limit) {
    if (needed && !Shows(s, name)) {
      warnings.push_back(std::string("The bar text has no ") + name + ": visitors do not see " +
                         figure + ".");
    } else if (!needed && Shows(s, name)) {
      warnings.push_back(std::string("The bar text shows ") + name + ", but the offer has no " +
                         limit + ": it reads empty.");
    }
  };
  token(kTimeLeftToken, timeLimit, "the time left", "time limit");
  token(kCopiesLeftToken, copyLimit, "the copies left", "copy limit");
}

}  // namespace

OfferSummary SummarizeOffer(const OfferSettings& settings, std::int64_t now) {
  OfferSummary summary;
  try {
    Summarize(settings, now, summary);
  } catch (const UUtils::AppError& e) {
    summary.warnings.push_back(e.what());
  }
  return summary;
}

}  // namespace generator
