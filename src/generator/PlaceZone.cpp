#include "generator/PlaceZone.h"

#include <QDateTime>
#include <QTimeZone>
#include <cmath>
#include <cstdlib>

#include "util/AppError.h"

namespace generator {

namespace {

constexpr std::int64_t kMillisPerDay = 86400000;

QTimeZone ZoneOf(const std::string& place) {
  const QByteArray id = QByteArray::fromStdString(place);
  return QTimeZone::isTimeZoneIdAvailable(id) ? QTimeZone(id) : QTimeZone();
}

// "5:30 hours ahead of" or "3 hours behind".
std::string OffsetText(int seconds) {
  const int minutes = std::abs(seconds) / 60;
  std::string text = std::to_string(minutes / 60);
  if (minutes % 60 != 0) text += (minutes % 60 < 10 ? ":0" : ":") + std::to_string(minutes % 60);
  return text + (seconds < 0 ? " hours behind" : " hours ahead of");
}

}  // namespace

bool IsZonePlace(const std::string& place) { return ZoneOf(place).isValid(); }

std::int64_t ZoneNumberForPlace(const std::string& place, double local) {
  const QTimeZone zone = ZoneOf(place);
  if (!zone.isValid()) {
    throw UUtils::AppError(place + " is no place of the system's time-zone database");
  }
  const auto millis = static_cast<std::int64_t>(std::llround(local * kMillisPerDay));
  const std::int64_t days =
      millis >= 0 ? millis / kMillisPerDay : -((-millis - 1) / kMillisPerDay) - 1;
  const QDate date = QDate(1899, 12, 30).addDays(days);
  const QTime time =
      QTime::fromMSecsSinceStartOfDay(static_cast<int>(millis - days * kMillisPerDay));
  const QDateTime at(date, time, zone);
  const std::string when =
      time.toString("HH:mm").toStdString() + " on " + date.toString(Qt::ISODate).toStdString();
  if (!at.isValid() || at.date() != date || at.time() != time) {
    throw UUtils::AppError(when + " does not exist in " + place +
                           ": the clocks skip it there when daylight saving time begins");
  }
  const int offset = at.offsetFromUtc();
  if (offset % 3600 != 0) {
    throw UUtils::AppError("at " + when + ", " + place + " is " + OffsetText(offset) +
                           " UTC, and the Time Zone number takes whole hours only");
  }
  return -offset / 3600;
}

}  // namespace generator
