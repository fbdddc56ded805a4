#include "Application.h"
#include "FMain.h"

int main(int argc, char** argv) {
  ui::Application app(argc, argv);
  TfrmMain frmMain;
  frmMain.show();
  return ui::Application::exec();
}
