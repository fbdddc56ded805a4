#include "Application.h"

#include <exception>

#include "MessageBox.h"

namespace ui {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    ReportError(QString::fromUtf8(error.what()));
  } catch (...) {
    ReportError(QStringLiteral("An unknown error occurred."));
  }
  return false;
}

void Application::ReportError(const QString& text) {
  MessageBox(activeWindow()).Show(text, MessageKind::Error);
}

}  // namespace ui
