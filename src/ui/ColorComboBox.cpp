#include "ui/ColorComboBox.h"

#include <QPainter>
#include <QPixmap>

namespace ui {

// The icon size is left as it is: setting it would build the drop-down list
// with the field, long before anyone opens it.
ColorComboBox::ColorComboBox(QWidget* parent) : QComboBox(parent) { setMaxVisibleItems(8); }

void ColorComboBox::AddColor(const QString& name, std::uint32_t value) {
  QPixmap swatch(iconSize());
  swatch.fill(Qt::transparent);
  QPainter painter(&swatch);
  painter.setPen(QColor(0x60, 0x60, 0x60));
  painter.setBrush(QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF));
  const int height = iconSize().height() * 3 / 4;
  painter.drawRect(0, (iconSize().height() - height) / 2, iconSize().width() - 1, height - 1);
  painter.end();
  addItem(QIcon(swatch), name, QVariant::fromValue(value));
}

std::uint32_t ColorComboBox::ColorValue() const { return currentData().value<std::uint32_t>(); }

bool ColorComboBox::SelectColor(std::uint32_t value) {
  const int index = findData(QVariant::fromValue(value));
  if (index < 0) return false;
  setCurrentIndex(index);
  return true;
}

}  // namespace ui
