#include "ui/Application.h"

#include <QDir>
#include <algorithm>
#include <exception>
#include <thread>

#include "ui/MessageBox.h"
#include "ui/Skin.h"

namespace ui {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
  // Every window and dialog wears the skin from the start, an error box
  // shown before the main window included.
  setFont(Skin::BaseFont());
  setPalette(Skin::BasePalette(palette()));
  setStyleSheet(Skin::BuiltIn());
  setWindowIcon(OwnIcon());
}

QIcon Application::OwnIcon() {
  static const QIcon icon = [] {
    QIcon sizes;
    for (const QString& size : QDir(QStringLiteral(":/icon")).entryList()) {
      sizes.addFile(QStringLiteral(":/icon/%1/hurrex-tolvan.png").arg(size));
    }
    return sizes;
  }();
  return icon;
}

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

void HandleEventsFor(std::chrono::milliseconds interval) {
  using Clock = std::chrono::steady_clock;
  constexpr std::chrono::milliseconds kSlice{10};
  const Clock::time_point end = Clock::now() + interval;
  for (;;) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    const Clock::duration left = end - Clock::now();
    if (left <= Clock::duration::zero()) return;
    std::this_thread::sleep_for(std::min<Clock::duration>(left, kSlice));
  }
}

void Application::ReportError(const QString& text) {
  MessageBox(activeWindow()).Show(text, MessageKind::Error);
}

}  // namespace ui
