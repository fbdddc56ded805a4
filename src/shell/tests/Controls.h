#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QObject>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <stdexcept>
#include <string>

namespace shelltest {

// A window's control, found by its object name as a skin finds it. A control
// that is not there fails the test, naming it.
template <class T>
T* Control(const QObject& window, const char* name) {
  T* control = window.findChild<T*>(QLatin1String(name));
  if (!control) {
    const std::string what = window.objectName().toStdString() + " has no " +
                             T::staticMetaObject.className() + " named " + name;
    ADD_FAILURE() << what;
    throw std::logic_error(what);
  }
  return control;
}

// Lets the main window's start-up timer fire at once, and returns when the
// start-up check it runs has ended.
inline void RunStartUpCheck(QWidget& window) {
  QTimer* timer = Control<QTimer>(window, "Timer1");
  timer->start(0);
  EXPECT_TRUE(QTest::qWaitFor([timer] { return !timer->isActive(); }))
      << "the start-up check never ran";
}

// The balloon hint on the screen, or null when none is.
inline QWidget* ShownBalloon() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window->objectName() == "balloonHint") return window;
  }
  return nullptr;
}

}  // namespace shelltest
