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

  DatePattern pattern_;
  double value_ = 0;
  QLineEdit* editor_;
  QToolButton* dropDown_;
  QWidget* popup_ = nullptr;
  QCalendarWidget* calendar_ = nullptr;
};

}  // namespace ui
