#pragma once

#include <QApplication>

namespace ui {

// The application object. An exception that leaves an event handler is
// reported to the user in an error box, and the message loop goes on.
class Application : public QApplication {
 public:
  Application(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;

  static void ReportError(const QString& text);
};

}  // namespace ui
