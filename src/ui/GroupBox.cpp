#include "ui/GroupBox.h"

#include <QPainter>

namespace ui {

GroupBox::GroupBox(const QString& title, QWidget* parent) : QGroupBox(title, parent) {}

void GroupBox::AddCaption(const QString& text, QPoint topLeft, bool small) {
  captions_.push_back({text, topLeft, small});
  update();
}

QRect GroupBox::CaptionRect(const Caption& caption) const {
  const QFontMetrics metrics(CaptionFont(caption.small));
  return {caption.topLeft, QSize(metrics.horizontalAdvance(caption.text), metrics.height())};
}

void GroupBox::paintEvent(QPaintEvent* event) {
  QGroupBox::paintEvent(event);
  QPainter painter(this);
  painter.setPen(
      palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
  for (const Caption& caption : captions_) {
    painter.setFont(CaptionFont(caption.small));
    // Up to the box's right edge: the text is measured only where it is drawn.
    const QRect room(caption.topLeft, QPoint(width() - 1, caption.topLeft.y() + height()));
    painter.drawText(room, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, caption.text);
  }
}

QFont GroupBox::CaptionFont(bool small) const {
  // The box's own font may be heavier, for its title; captions are plain text.
  QFont font = this->font();
  font.setWeight(QFont::Normal);
  if (small && font.pixelSize() > 0) font.setPixelSize(font.pixelSize() - 1);
  if (small && font.pixelSize() <= 0) font.setPointSizeF(font.pointSizeF() * 10 / 11);
  return font;
}

}  // namespace ui
