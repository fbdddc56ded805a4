#pragma once

#include <QDate>
#include <QWidget>

#include "ui/DatePattern.h"

class QCalendarWidget;
class QLineEdit;
class QToolButton;

namespace ui {

// The day of a date-time value: days since 30 December 1899 00:00, the
// fraction being the time of day.
QDate DateOfValue(double value);

// A date field with a drop-down calendar. Its value is a date-time value; a
// date typed in full or picked is that day at 00:00. A complete text that
// names no real day raises "'<text>' is not a valid date" and keeps the value.
//
// Typing goes to one part at a time (day, month, year), never across into a
// part of another kind: digits fill a numeric part from its start when it is
// selected or entered, then the next part is selected; over a month shown by
// name, letters choose the first month whose name starts with them and digits
// give its number. A separator typed moves to the next part. Whatever is left
// half-typed or names no real day, the text shows the value again once the
// field is left.
class DateField : public QWidget {
  Q_OBJECT
 public:
  explicit DateField(QWidget* parent = nullptr, const QLocale& locale = QLocale());

  double Value() const { return value_; }
  void SetValue(double value);

  QLineEdit* Editor() const { return editor_; }
  // The drop-down calendar, made the first time it is needed.
  QCalendarWidget* Calendar();

  void ShowCalendar();

 private:
  void TextChanged(const QString& text);
  void Picked(QDate date);
  bool eventFilter(QObject* watched, QEvent* event) override;
  // A key typed into the text; false when it is not for the field to take.
  bool Type(QChar key);
  void TypeMonth(const DatePattern::Span& span, QChar key);
  void EndPart(std::size_t index);
  void SelectPart(std::size_t index);
  void ShowValue();

  DatePattern pattern_;
  std::vector<DatePattern::Span> spans_;
  double value_ = 0;
  // What was typed so far into the part the typing is in, and its index.
  QString entry_;
  int entryPart_ = -1;
  bool typing_ = false;
  QLineEdit* editor_;
  QToolButton* dropDown_;
  QWidget* popup_ = nullptr;
  QCalendarWidget* calendar_ = nullptr;
};

}  // namespace ui
