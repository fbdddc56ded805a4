// The yardstick: a bare Qt Widgets window of the same size; with the argument
// "label", one line of text in it, which brings in the font machinery.
#include <QApplication>
#include <QLabel>
#include <QWidget>
#include <cstring>

#include "ShownProbe.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.resize(768, 610);
  if (argc > 1 && std::strcmp(argv[1], "label") == 0) new QLabel("Hurrex Tolvan", &window);
  ShownProbe probe;
  window.installEventFilter(&probe);
  window.show();
  return QApplication::exec();
}
