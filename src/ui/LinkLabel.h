#pragma once

#include <QLabel>

namespace ui {

// A web link: underlined text with a hand cursor, drawn in the active colour
// while the pointer is over it. A click opens its address with the desktop's
// handler; an empty address opens nothing.
//
// The caption is plain text, shown as written. It never widens its window:
// a caption longer than the room the layout gives is cut with an ellipsis,
// and the whole caption becomes the link's tool tip.
class LinkLabel : public QLabel {
  Q_OBJECT
  Q_PROPERTY(bool hovered READ Hovered)
 public:
  explicit LinkLabel(const QString& caption, QWidget* parent = nullptr);

  const QString& Address() const { return address_; }
  void SetAddress(const QString& address) { address_ = address; }
  bool Hovered() const { return hovered_; }

  // The caption as drawn at the link's present width.
  QString ShownText() const;

  QSize minimumSizeHint() const override;

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void SetHovered(bool hovered);

  QString address_;
  bool hovered_ = false;
};

}  // namespace ui
