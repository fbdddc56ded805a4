// The program's own start-up: the application object and the main window.
#include "ShownProbe.h"
#include "shell/FMain.h"
#include "ui/Application.h"

int main(int argc, char** argv) {
  ui::Application app(argc, argv);
  shell::TfrmMain frmMain;
  ShownProbe probe;
  frmMain.installEventFilter(&probe);
  frmMain.show();
  return ui::Application::exec();
}
