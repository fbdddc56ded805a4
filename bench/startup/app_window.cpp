// The program's own start-up: the application object and the main window.
#include "Application.h"
#include "FMain.h"
#include "ShownProbe.h"

int main(int argc, char** argv) {
  ui::Application app(argc, argv);
  TfrmMain frmMain;
  ShownProbe probe;
  frmMain.installEventFilter(&probe);
  frmMain.show();
  return ui::Application::exec();
}
