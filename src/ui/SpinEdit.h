#pragma once

#include <QAbstractSpinBox>

namespace ui {

// A whole-number field with spin buttons. Only digits and "-" can be typed;
// any other character is refused with a beep. As soon as the text forms a
// whole number the value follows it; a bounded field pulls a value outside
// its range to the nearest bound and corrects its text. A text that is not a
// number leaves the value as it was. Buttons and arrow keys step by 1.
class SpinEdit : public QAbstractSpinBox {
  Q_OBJECT
 public:
  explicit SpinEdit(QWidget* parent = nullptr);

  // A bounded field; without a call the field has no bounds.
  void SetRange(double minimum, double maximum);

  double Value() const { return value_; }
  void SetValue(double value);

  void stepBy(int steps) override;

 signals:
  void ValueChanged(double value);

 protected:
  QValidator::State validate(QString& input, int& pos) const override;
  StepEnabled stepEnabled() const override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void TextEdited(const QString& text);
  double Clamped(double value) const;
  void ShowValue();

  double value_ = 0;
  double minimum_;
  double maximum_;
};

}  // namespace ui
