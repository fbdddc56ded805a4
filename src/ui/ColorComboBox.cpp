#include "ui/ColorComboBox.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace ui {

namespace {

// A swatch three quarters of the icon's height, the colour in a grey outline.
// Its pixels are set one by one: a painter for each of a list's swatches costs
// the window's start more than the rest of the drop-down does.
QPixmap Swatch(QSize size, QRgb colour) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  const QRgb outline = qRgb(0x60, 0x60, 0x60);
  const int height = size.height() * 3 / 4;
  const int top = (size.height() - height) / 2;
  for (int y = top; y < top + height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < size.width(); ++x) {
      const bool edge = y == top || y == top + height - 1 || x == 0 || x == size.width() - 1;
      line[x] = edge ? outline : colour;
    }
  }
  return QPixmap::fromImage(std::move(image));
}

}  // namespace

// The icon size is left as it is: setting it would build the drop-down list
// with the field, long before anyone opens it.
ColorComboBox::ColorComboBox(QWidget* parent) : QComboBox(parent) { setMaxVisibleItems(8); }

void ColorComboBox::AddColor(const QString& name, std::uint32_t value) {
  const QRgb colour = qRgb(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
  addItem(QIcon(Swatch(iconSize(), colour)), name, QVariant::fromValue(value));
}

std::uint32_t ColorComboBox::ColorValue() const { return currentData().value<std::uint32_t>(); }

bool ColorComboBox::SelectColor(std::uint32_t value) {
  const int index = findData(QVariant::fromValue(value));
  if (index < 0) return false;
  setCurrentIndex(index);
  return true;
}

}  // namespace ui
