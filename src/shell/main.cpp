#include "shell/FMain.h"
#include "ui/Application.h"

int main(int argc, char** argv) {
  ui::Application app(argc, argv);
  shell::TfrmMain frmMain;
  frmMain.show();
  return ui::Application::exec();
}
