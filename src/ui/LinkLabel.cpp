#include "ui/LinkLabel.h"

#include <QMouseEvent>
#include <QStyle>

#include "util/Launch.h"

namespace ui {

LinkLabel::LinkLabel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
  setCursor(Qt::PointingHandCursor);
  QFont underlined = font();
  underlined.setUnderline(true);
  setFont(underlined);
}

void LinkLabel::enterEvent(QEnterEvent* event) {
  QLabel::enterEvent(event);
  SetHovered(true);
}

void LinkLabel::leaveEvent(QEvent* event) {
  QLabel::leaveEvent(event);
  SetHovered(false);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    UUtils::ShellOpen(address_.toStdString());
  }
}

// The skin colours the link by this property.
void LinkLabel::SetHovered(bool hovered) {
  if (hovered == hovered_) return;
  hovered_ = hovered;
  style()->unpolish(this);
  style()->polish(this);
  update();
}

}  // namespace ui
