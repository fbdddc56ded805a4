#include "ui/DateField.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
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
      spans_(pattern_.Spans()),
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
  connect(editor_, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (!typing_) Guarded([&] { TextChanged(text); });
  });
  // A part entered anew starts its typing afresh.
  const auto moved = [this] {
    if (!typing_) entryPart_ = -1;
  };
  connect(editor_, &QLineEdit::cursorPositionChanged, this, moved);
  connect(editor_, &QLineEdit::selectionChanged, this, moved);
  editor_->installEventFilter(this);
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
  ShowValue();
}

void DateField::ShowValue() {
  const QString text = pattern_.Format(DateOfValue(value_));
  if (editor_->text() != text) editor_->setText(text);
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
    ShowValue();
    throw UUtils::AppError("'" + text.toStdString() + "' is not a valid date");
  }
  if (result.reading == DatePattern::Reading::Valid) value_ = double(kDayZero.daysTo(result.date));
}

bool DateField::eventFilter(QObject* watched, QEvent* event) {
  if (watched != editor_) return QWidget::eventFilter(watched, event);
  if (event->type() == QEvent::FocusOut &&
      static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
    // Half-typed text is dropped; a whole date is shown as the field writes it.
    ShowValue();
  } else if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const auto commands = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if (!(key->modifiers() & commands) && key->text().size() == 1 && key->text()[0].isPrint()) {
      // A key that ends in an error is still the field's: it never reaches
      // the editor as well.
      bool taken = true;
      Guarded([&] { taken = Type(key->text()[0]); });
      return taken;
    }
  }
  return QWidget::eventFilter(watched, event);
}

bool DateField::Type(QChar key) {
  if (editor_->isReadOnly()) return false;
  const int at = editor_->hasSelectedText() ? editor_->selectionStart() : editor_->cursorPosition();
  // The part at the typing position; a separator belongs to the part after it.
  std::size_t index = 0;
  while (index < spans_.size() && at >= spans_[index].start + spans_[index].width) ++index;
  if (index == spans_.size()) return true;  // past the last part: nothing to type over
  const DatePattern::Span& span = spans_[index];
  const QScopedValueRollback<bool> typing(typing_, true);
  if (!key.isLetterOrNumber()) {
    // A separator ends the part typed into; one typed where a part was just
    // entered is already done.
    if (entryPart_ != int(index) && at <= span.start) return true;
    EndPart(index);
    if (index + 1 < spans_.size()) SelectPart(index + 1);
    entryPart_ = -1;
    TextChanged(editor_->text());
    return true;
  }
  if (entryPart_ != int(index)) entry_.clear();
  // The editor's own masked editing writes the characters, so that blank
  // positions elsewhere in the text stay where they are.
  entryPart_ = int(index);
  if (span.named) {
    TypeMonth(span, key);
  } else if (key.isDigit()) {
    // Over the whole part, digits fill it from its start; elsewhere each one
    // takes the place at the cursor.
    const bool wholePart = editor_->hasSelectedText() && editor_->selectionStart() <= span.start &&
                           editor_->selectionEnd() >= span.start + span.width;
    const int position = wholePart ? span.start : std::max(at, span.start);
    if (wholePart) {
      SelectPart(index);
    } else {
      editor_->setCursorPosition(position);
    }
    editor_->insert(QString(key));
    if (position + 1 < span.start + span.width) {
      editor_->setCursorPosition(position + 1);
    } else if (index + 1 < spans_.size()) {
      SelectPart(index + 1);
    }
  }
  TextChanged(editor_->text());
  return true;
}

// Over a month shown by name: letters choose the first month whose name
// starts with what was typed, digits give its number; the whole name is
// written, and the part stays selected for the next key.
void DateField::TypeMonth(const DatePattern::Span& span, QChar key) {
  int month = 0;
  if (key.isDigit()) {
    if (!entry_.isEmpty() && !entry_[0].isDigit()) entry_.clear();
    month = (entry_ + key).toInt();
    entry_ += key;
    if (month < 1 || month > 12) {
      entry_ = key;
      month = QString(key).toInt();
    }
  } else {
    if (!entry_.isEmpty() && entry_[0].isDigit()) entry_.clear();
    month = pattern_.MonthStartingWith(entry_ + key);
    entry_ += key;
    if (month == 0) {
      entry_ = key;
      month = pattern_.MonthStartingWith(entry_);
    }
  }
  const std::size_t index = std::size_t(entryPart_);
  if (month >= 1 && month <= 12) {
    SelectPart(index);
    editor_->insert(pattern_.MonthText(month));
  }
  // A number that no further digit can extend, or letters that only one
  // month starts with, complete the part.
  int months = 0;
  for (int m = 1; m <= 12 && !key.isDigit(); ++m) {
    months += pattern_.MonthText(m).startsWith(entry_, Qt::CaseInsensitive);
  }
  const bool complete = key.isDigit() ? entry_.size() == 2 || month > 1 : months == 1;
  SelectPart(complete && index + 1 < spans_.size() ? index + 1 : index);
}

// A day or month left with one digit is that number: "1" is "01".
void DateField::EndPart(std::size_t index) {
  const DatePattern::Span& span = spans_[index];
  if (span.named || span.part == DatePattern::Part::Year) return;
  const QString digits = editor_->displayText().mid(span.start, span.width).trimmed();
  bool number = false;
  digits.toInt(&number);
  if (!number || digits.size() >= span.width) return;
  SelectPart(index);
  editor_->insert(digits.rightJustified(span.width, u'0'));
}

void DateField::SelectPart(std::size_t index) {
  editor_->setSelection(spans_[index].start, spans_[index].width);
}

void DateField::Picked(QDate date) {
  popup_->hide();
  SetValue(double(kDayZero.daysTo(date)));
}

}  // namespace ui
