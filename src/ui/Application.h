#pragma once

#include <QApplication>
#include <QIcon>
#include <functional>

namespace ui {

// The application object. An exception that leaves an event handler is
// reported to the user in an error box, and the message loop goes on. Every
// window wears the application's own icon unless a brand gives another.
class Application : public QApplication {
 public:
  Application(int& argc, char** argv);

  // The application's own icon, in every size it is drawn in.
  static QIcon OwnIcon();

  bool notify(QObject* receiver, QEvent* event) override;

  static void ReportError(const QString& text);
};

// Runs an event handler's work and reports an error that leaves it, as the
// application object would. Handlers called from inside the widget toolkit
// use it, so that no error has to unwind through the toolkit's own code.
void Guarded(const std::function<void()>& work);

}  // namespace ui
