#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace ui {

// The entry pattern of a date field, built from a locale's short date format:
// day, month and year keep the format's order, joined by its separators; day
// and month take two digits (a month shown by name takes letters), the year
// four. Blanks stand for empty positions.
class DatePattern {
 public:
  enum class Part { Day, Month, Year };

  explicit DatePattern(const QLocale& locale);

  // The input mask for a line edit, blanks for empty positions.
  QString InputMask() const;
  // The text for a date, laid out in the pattern.
  QString Format(QDate date) const;

  // Reading a text laid out in the pattern.
  enum class Reading { Incomplete, Valid, NoSuchDay };
  struct Result {
    Reading reading;
    QDate date;
  };
  Result Read(const QString& text) const;

  // Where each part stands in a text laid out in the pattern, in order.
  struct Span {
    Part part;
    int start;
    int width;
    bool named;  // a month shown by name
  };
  std::vector<Span> Spans() const;

  // The number of the first month whose name starts with `prefix`, in any
  // letter case; 0 when none does.
  int MonthStartingWith(const QString& prefix) const;
  // A month's name as the text shows it, padded to the part's width.
  QString MonthText(int month) const;

 private:
  struct Field {
    Part part;
    int width;
  };
  std::vector<Field> fields_;
  QStringList separators_;  // before each field, and one after the last
  QStringList monthNames_;  // empty when the month is shown by number
};

}  // namespace ui
