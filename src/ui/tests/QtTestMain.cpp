// Entry point of the widget tests: one application object, dialogs answered
// by the test seams instead of a person, programs recorded, never started,
// and the user's cache in a folder of the run. No request leaves the machine:
// the network library's tests/LoopbackOnly.cpp is linked in beside this.
#include <gtest/gtest.h>

#include "ui/Application.h"
#include "ui/FileDialog.h"
#include "ui/MessageBox.h"
#include "util/Launch.h"
#include "util/TemporaryFolder.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ui::Application app(argc, argv);
  ui::MessageBox::AnswerAutomatically(true);
  ui::FileDialog::AnswerAutomatically(true);
  UUtils::Launcher::RecordOnly(true);
  const UUtils::TemporaryFolder cache("widget-tests-", "the tests' cache");
  qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(cache.Path().string()));
  return RUN_ALL_TESTS();
}
