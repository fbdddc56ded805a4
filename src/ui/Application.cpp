#include "ui/Application.h"

#include <exception>

#include "ui/MessageBox.h"

namespace ui {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

namespace {

void ReportCurrentError() {
  try {
    throw;
  } catch (const std::exception& error) {
    Application::ReportError(QString::fromUtf8(error.what()));
  } catch (...) {
    Application::ReportError(QStringLiteral("An unknown error occurred."));
  }
}

}  // namespace

bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    ReportCurrentError();
  }
  return false;
}

void Guarded(const std::function<void()>& work) {
  try {
    work();
  } catch (...) {
    ReportCurrentError();
  }
}

void Application::ReportError(const QString& text) {
  MessageBox(activeWindow()).Show(text, MessageKind::Error);
}

}  // namespace ui
