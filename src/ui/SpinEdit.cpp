#include "ui/SpinEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <charconv>
#include <cstdint>
#include <optional>

namespace ui {

namespace {

// Whole numbers a field may hold: those that convert to a 64-bit integer.
constexpr double kLargest = 9.2e18;
// What a text beyond the 64-bit range counts as: past the largest, so that the
// field pulls it back like any other value out of range.
constexpr double kBeyond = 1e19;

bool IsAllowed(QChar c) { return c.isDigit() || c == u'-'; }

// The number the text spells, when it is an optional "-" and digits. Texts
// beyond the 64-bit range count as kBeyond.
std::optional<double> WholeNumber(const QString& text) {
  const std::string digits = text.toStdString();
  const bool negative = !digits.empty() && digits[0] == '-';
  if (digits.size() == std::size_t(negative)) return std::nullopt;
  for (std::size_t i = negative; i < digits.size(); ++i) {
    if (digits[i] < '0' || digits[i] > '9') return std::nullopt;
  }
  std::int64_t number = 0;
  const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (result.ec == std::errc::result_out_of_range) return negative ? -kBeyond : kBeyond;
  return static_cast<double>(number);
}

}  // namespace

SpinEdit::SpinEdit(QWidget* parent)
    : QAbstractSpinBox(parent), minimum_(-kLargest), maximum_(kLargest) {
  setButtonSymbols(QAbstractSpinBox::UpDownArrows);
  // Narrow digits: eight of them stay readable in a field about sixty pixels wide.
  QFont narrow = lineEdit()->font();
  narrow.setStretch(80);
  lineEdit()->setFont(narrow);
  setAccelerated(true);
  connect(lineEdit(), &QLineEdit::textEdited, this, &SpinEdit::TextEdited);
  // Leaving the field shows the value in force again.
  connect(this, &QAbstractSpinBox::editingFinished, this, &SpinEdit::ShowValue);
  ShowValue();
}

void SpinEdit::SetRange(double minimum, double maximum) {
  minimum_ = minimum;
  maximum_ = maximum;
  SetValue(value_);
}

void SpinEdit::SetValue(double value) {
  value = Clamped(value);
  const bool changed = value != value_;
  value_ = value;
  ShowValue();
  if (changed) emit ValueChanged(value_);
}

void SpinEdit::stepBy(int steps) {
  SetValue(value_ + steps);
  selectAll();
}

QValidator::State SpinEdit::validate(QString& input, int&) const {
  for (QChar c : input) {
    if (!IsAllowed(c)) return QValidator::Invalid;
  }
  return QValidator::Acceptable;
}

QAbstractSpinBox::StepEnabled SpinEdit::stepEnabled() const {
  StepEnabled enabled = StepNone;
  if (value_ < maximum_) enabled |= StepUpEnabled;
  if (value_ > minimum_) enabled |= StepDownEnabled;
  return enabled;
}

void SpinEdit::keyPressEvent(QKeyEvent* event) {
  const QString text = event->text();
  const bool shortcut =
      event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  if (!shortcut && !text.isEmpty() && text[0].isPrint() && !IsAllowed(text[0])) {
    QApplication::beep();
    event->accept();
    return;
  }
  QAbstractSpinBox::keyPressEvent(event);
}

void SpinEdit::TextEdited(const QString& text) {
  const auto number = WholeNumber(text);
  if (!number) return;
  const double value = Clamped(*number);
  const bool corrected = value != *number;
  if (value != value_) {
    value_ = value;
    emit ValueChanged(value_);
  }
  if (corrected) ShowValue();
}

double SpinEdit::Clamped(double value) const {
  return value < minimum_ ? minimum_ : value > maximum_ ? maximum_ : value;
}

void SpinEdit::ShowValue() {
  const QString text = QString::number(static_cast<qint64>(value_));
  if (lineEdit()->text() != text) lineEdit()->setText(text);
}

}  // namespace ui
