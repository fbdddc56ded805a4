#include "ui/DateField.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "ui/Application.h"
#include "util/AppError.h"
#include "util/DateValue.h"

namespace ui {

namespace {

const QDate kDayZero(static_cast<int>(UUtils::kDayZero.year()),
                     static_cast<int>(static_cast<unsigned>(UUtils::kDayZero.month())),
                     static_cast<int>(static_cast<unsigned>(UUtils::kDayZero.day())));

}  // namespace

QDate DateOfValue(double value) { return kDayZero.addDays(qint64(std::floor(value))); }

DateField::DateField(QWidget* parent, const QLocale& locale)
    : QWidget(parent),
      pattern_(locale),
      editor_(new QLineEdit(this)),
      dropDown_(new QToolButton(this)) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  row->addWidget(editor_);
  row->addWidget(dropDown_);
  editor_->setInputMask(pattern_.InputMask());
  dropDown_->setArrowType(Qt::DownArrow);
  dropDown_->setFocusPolicy(Qt::NoFocus);
  dropDown_->setObjectName(QStringLiteral("dateDropDown"));
  connect(dropDown_, &QToolButton::clicked, this, &DateField::ShowCalendar);
  // Every edit by the user, typed, pasted or undone, is checked; an error
  // about the text ends that edit's handling and is reported.
  connect(editor_, &QLineEdit::textEdited, this,
          [this](const QString& text) { Guarded([&] { TextChanged(text); }); });
  setFocusProxy(editor_);
}

QCalendarWidget* DateField::Calendar() {
  if (calendar_) return calendar_;
  popup_ = new QWidget(this, Qt::Popup);
  popup_->setObjectName(QStringLiteral("dateCalendarPopup"));
  popup_->setAttribute(Qt::WA_StyledBackground);
  calendar_ = new QCalendarWidget(popup_);
  auto* box = new QVBoxLayout(popup_);
  box->setContentsMargins(1, 1, 1, 1);
  box->addWidget(calendar_);
  popup_->resize(200, 150);
  calendar_->setFirstDayOfWeek(Qt::Sunday);
  calendar_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
  connect(calendar_, &QCalendarWidget::clicked, this, &DateField::Picked);
  connect(calendar_, &QCalendarWidget::activated, this, &DateField::Picked);
  return calendar_;
}

void DateField::SetValue(double value) {
  value_ = value;
  editor_->setText(pattern_.Format(DateOfValue(value)));
}

void DateField::ShowCalendar() {
  Calendar()->setSelectedDate(DateOfValue(value_));
  popup_->move(mapToGlobal(QPoint(0, height())));
  popup_->show();
  calendar_->setFocus();
}

void DateField::TextChanged(const QString& text) {
  const auto result = pattern_.Read(text);
  if (result.reading == DatePattern::Reading::NoSuchDay) {
    throw UUtils::AppError("'" + text.toStdString() + "' is not a valid date");
  }
  if (result.reading == DatePattern::Reading::Valid) value_ = double(kDayZero.daysTo(result.date));
}

void DateField::Picked(QDate date) {
  popup_->hide();
  SetValue(double(kDayZero.daysTo(date)));
}

}  // namespace ui
