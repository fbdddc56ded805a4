#pragma once

#include <QApplication>
#include <functional>

namespace ui {

// The application object. An exception that leaves an event handler is
// reported to the user in an error box, and the message loop goes on.
class Application : public QApplication {
 public:
  Application(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;

  static void ReportError(const QString& text);
};

// Runs an event handler's work and reports an error that leaves it, as the
// application object would. Handlers called from inside the widget toolkit
// use it, so that no error has to unwind through the toolkit's own code.
void Guarded(const std::function<void()>& work);

}  // namespace ui
