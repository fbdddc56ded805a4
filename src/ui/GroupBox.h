#pragma once

#include <QGroupBox>
#include <vector>

namespace ui {

// A group box that paints its own static captions. A caption is text beside
// the box's fields, not a control: painting it costs no widget of its own,
// which keeps a window of many captions quick to build and show.
class GroupBox : public QGroupBox {
  Q_OBJECT
 public:
  struct Caption {
    QString text;
    QPoint topLeft;
    bool small;  // a pixel smaller than the box's text, for a long caption
  };

  GroupBox(const QString& title, QWidget* parent);

  void AddCaption(const QString& text, QPoint topLeft, bool small = false);
  const std::vector<Caption>& Captions() const { return captions_; }
  // Where a caption's text lies, in the box's coordinates.
  QRect CaptionRect(const Caption& caption) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QFont CaptionFont(bool small) const;

  std::vector<Caption> captions_;
};

}  // namespace ui
