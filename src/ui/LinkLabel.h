#pragma once

#include <QLabel>

namespace ui {

// A web link: underlined text with a hand cursor, drawn in the active colour
// while the pointer is over it. A click opens its address with the desktop's
// handler, whatever the address (an empty one included).
class LinkLabel : public QLabel {
  Q_OBJECT
  Q_PROPERTY(bool hovered READ Hovered)
 public:
  explicit LinkLabel(const QString& caption, QWidget* parent = nullptr);

  const QString& Address() const { return address_; }
  void SetAddress(const QString& address) { address_ = address; }
  bool Hovered() const { return hovered_; }

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void SetHovered(bool hovered);

  QString address_;
  bool hovered_ = false;
};

}  // namespace ui
