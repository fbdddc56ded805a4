#pragma once

#include <QComboBox>
#include <cstdint>

namespace ui {

// A drop-down of named colours, each shown as a swatch and its name. Colour
// values carry red in the lowest byte, then green, then blue.
class ColorComboBox : public QComboBox {
  Q_OBJECT
 public:
  explicit ColorComboBox(QWidget* parent = nullptr);

  void AddColor(const QString& name, std::uint32_t value);
  std::uint32_t ColorValue() const;
  // Selects the entry of that value; false when no entry has it.
  bool SelectColor(std::uint32_t value);
};

}  // namespace ui
