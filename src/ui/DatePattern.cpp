#include "ui/DatePattern.h"

#include <algorithm>

namespace ui {

namespace {

bool IsMaskSpecial(QChar c) { return QStringLiteral("AaNnXx9D0dHhBb<>!;\\[]{}").contains(c); }

QString EscapedLiteral(const QString& text) {
  QString escaped;
  for (QChar c : text) {
    if (IsMaskSpecial(c)) escaped += u'\\';
    escaped += c;
  }
  return escaped;
}

}  // namespace

DatePattern::DatePattern(const QLocale& locale) {
  const QString format = locale.dateFormat(QLocale::ShortFormat);
  QString literal;
  bool quoted = false;
  for (qsizetype i = 0; i < format.size();) {
    const QChar c = format[i];
    if (c == u'\'') {
      quoted = !quoted;
      ++i;
      continue;
    }
    qsizetype run = 1;
    while (i + run < format.size() && format[i + run] == c) ++run;
    const bool token = !quoted && (c == u'd' || c == u'M' || c == u'y');
    if (!token || (c == u'd' && run > 2)) {
      // Literal text; weekday names are left out of an entry pattern.
      if (!token) literal += format.mid(i, run);
      i += run;
      continue;
    }
    if (c == u'd') fields_.push_back({Part::Day, 2});
    if (c == u'y') fields_.push_back({Part::Year, 4});
    if (c == u'M') {
      int width = 2;
      if (run >= 3) {
        const auto form = run == 3 ? QLocale::ShortFormat : QLocale::LongFormat;
        for (int month = 1; month <= 12; ++month) {
          monthNames_ << locale.standaloneMonthName(month, form);
          width = std::max<int>(width, monthNames_.back().size());
        }
      }
      fields_.push_back({Part::Month, width});
    }
    separators_ << literal;
    literal.clear();
    i += run;
  }
  separators_ << literal;
  // A format without all three parts falls back to day/month/year.
  const auto has = [this](Part part) {
    return std::any_of(fields_.begin(), fields_.end(), [&](auto f) { return f.part == part; });
  };
  if (!has(Part::Day) || !has(Part::Month) || !has(Part::Year)) {
    fields_ = {{Part::Day, 2}, {Part::Month, 2}, {Part::Year, 4}};
    separators_ = {"", "/", "/", ""};
    monthNames_.clear();
  }
  // Leading and trailing literals would only be noise in an entry field.
  separators_.front().clear();
  separators_.back().clear();
}

QString DatePattern::InputMask() const {
  QString mask;
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    mask += EscapedLiteral(separators_[int(i)]);
    const bool letters = fields_[i].part == Part::Month && !monthNames_.isEmpty();
    mask += QString(fields_[i].width, letters ? u'a' : u'9');
  }
  return mask + QStringLiteral("; ");
}

QString DatePattern::Format(QDate date) const {
  QString text;
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    text += separators_[int(i)];
    const auto [part, width] = fields_[i];
    if (part == Part::Month && !monthNames_.isEmpty()) {
      text += monthNames_[date.month() - 1].leftJustified(width, u' ');
      continue;
    }
    const int number = part == Part::Day     ? date.day()
                       : part == Part::Month ? date.month()
                                             : date.year();
    text += QStringLiteral("%1").arg(number, width, 10, QLatin1Char('0'));
  }
  return text;
}

DatePattern::Result DatePattern::Read(const QString& text) const {
  int day = 0, month = 0, year = 0;
  qsizetype at = 0;
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    at += separators_[int(i)].size();
    const auto [part, width] = fields_[i];
    const QString piece = text.mid(at, width);
    at += width;
    if (part == Part::Month && !monthNames_.isEmpty()) {
      const QString name = piece.trimmed();
      const auto found =
          std::find_if(monthNames_.begin(), monthNames_.end(),
                       [&](const QString& m) { return m.compare(name, Qt::CaseInsensitive) == 0; });
      if (found == monthNames_.end()) return {Reading::Incomplete, {}};
      month = int(found - monthNames_.begin()) + 1;
      continue;
    }
    if (piece.size() != width || piece.contains(u' ')) return {Reading::Incomplete, {}};
    bool ok = false;
    const int number = piece.toInt(&ok);
    if (!ok) return {Reading::Incomplete, {}};
    (part == Part::Day ? day : part == Part::Month ? month : year) = number;
  }
  if (day < 1 || day > 31 || month < 1 || month > 12 || year < 1 || year > 9999) {
    return {Reading::Incomplete, {}};
  }
  const QDate date(year, month, day);
  return {date.isValid() ? Reading::Valid : Reading::NoSuchDay, date};
}

std::vector<DatePattern::Span> DatePattern::Spans() const {
  std::vector<Span> spans;
  int at = 0;
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    at += int(separators_[int(i)].size());
    const bool named = fields_[i].part == Part::Month && !monthNames_.isEmpty();
    spans.push_back({fields_[i].part, at, fields_[i].width, named});
    at += fields_[i].width;
  }
  return spans;
}

int DatePattern::MonthStartingWith(const QString& prefix) const {
  for (int i = 0; i < monthNames_.size(); ++i) {
    if (monthNames_[i].startsWith(prefix, Qt::CaseInsensitive)) return i + 1;
  }
  return 0;
}

QString DatePattern::MonthText(int month) const {
  const auto span = std::find_if(fields_.begin(), fields_.end(),
                                 [](const Field& f) { return f.part == Part::Month; });
  return monthNames_[month - 1].leftJustified(span->width, u' ');
}

}  // namespace ui
