#pragma once

#include <QCursor>
#include <QPointer>
#include <QWidget>
#include <initializer_list>
#include <utility>
#include <vector>

namespace ui {

// The hourglass on each of `widgets` for exactly as long as the object
// lives; each then gets back the cursor it had.
class WaitCursors {
 public:
  explicit WaitCursors(std::initializer_list<QWidget*> widgets) {
    for (QWidget* widget : widgets) {
      saved_.emplace_back(widget, widget->cursor());
      widget->setCursor(Qt::WaitCursor);
    }
  }
  ~WaitCursors() {
    for (const auto& [widget, cursor] : saved_) {
      if (widget) widget->setCursor(cursor);
    }
  }
  WaitCursors(const WaitCursors&) = delete;
  WaitCursors& operator=(const WaitCursors&) = delete;

 private:
  std::vector<std::pair<QPointer<QWidget>, QCursor>> saved_;
};

}  // namespace ui
