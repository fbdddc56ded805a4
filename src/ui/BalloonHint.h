#pragma once

#include <QPoint>
#include <QPointer>
#include <QString>
#include <optional>
#include <vector>

class QWidget;

namespace ui {

// A balloon the program showed, as a test reads it.
struct ShownBalloon {
  QString text;
  QPoint anchor;  // screen coordinates
};

class BalloonWindow;

// A balloon hint: a text in a bubble whose tip points at a spot on the screen,
// the bubble below and to the left of it. It does not take the focus or block
// the caller, and it closes at the user's next key press or mouse click, or
// when the application is activated or deactivated.
class BalloonHint {
 public:
  BalloonHint() = default;
  ~BalloonHint();
  BalloonHint(const BalloonHint&) = delete;
  BalloonHint& operator=(const BalloonHint&) = delete;

  // Closes a balloon still showing, then shows `text` ("\r\n" breaks the
  // line) with its tip at `anchor`, in screen coordinates.
  void Show(const QString& text, const QPoint& anchor);
  void Close();

  // The balloon on the screen, or null once it has closed.
  QWidget* Window() const;

  // Test seam: every balloon shown, in order.
  static const std::vector<ShownBalloon>& Shown();
  static void ClearShown();
  // Test seam: balloons shown from now on take a compositing manager to be
  // running or not; nothing asks the platform again.
  static void AssumeCompositor(std::optional<bool> running);

 private:
  QPointer<BalloonWindow> window_;
};

}  // namespace ui
