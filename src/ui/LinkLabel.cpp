#include "ui/LinkLabel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

#include "util/Launch.h"

namespace ui {

LinkLabel::LinkLabel(const QString& caption, QWidget* parent) : QLabel(parent) {
  // A brand's caption is text, never markup that could load files or change
  // fonts.
  setTextFormat(Qt::PlainText);
  setText(caption);
  setCursor(Qt::PointingHandCursor);
  QFont underlined = font();
  underlined.setUnderline(true);
  setFont(underlined);
}

QString LinkLabel::ShownText() const {
  return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
}

// Room for the ellipsis alone: the layout may give the link less than its
// caption asks for.
QSize LinkLabel::minimumSizeHint() const {
  const QMargins margins = contentsMargins();
  return {fontMetrics().horizontalAdvance(QStringLiteral("\u2026")) + margins.left() +
              margins.right(),
          QLabel::minimumSizeHint().height()};
}

void LinkLabel::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  style()->drawItemText(&painter, contentsRect(), int(alignment()), palette(), isEnabled(),
                        ShownText(), foregroundRole());
}

bool LinkLabel::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QLabel::event(event);
  const QString shown = ShownText();
  if (shown == text()) {
    QToolTip::hideText();
    event->ignore();
  } else {
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
  }
  return true;
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
