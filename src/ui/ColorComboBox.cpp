#include "ui/ColorComboBox.h"

#include <QPainter>
#include <QPixmap>

namespace ui {

ColorComboBox::ColorComboBox(QWidget* parent) : QComboBox(parent) {
  setMaxVisibleItems(8);
  setIconSize(QSize(18, 12));
}

void ColorComboBox::AddColor(const QString& name, std::uint32_t value) {
  QPixmap swatch(iconSize());
  swatch.fill(QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF));
  QPainter painter(&swatch);
  painter.setPen(QColor(0x60, 0x60, 0x60));
  painter.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
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
