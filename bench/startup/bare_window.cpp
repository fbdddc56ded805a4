// The yardstick: a bare Qt Widgets window of the same size.
#include <QApplication>
#include <QWidget>

#include "ShownProbe.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.resize(768, 514);
  ShownProbe probe;
  window.installEventFilter(&probe);
  window.show();
  return QApplication::exec();
}
