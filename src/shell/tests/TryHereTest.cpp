#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "shell/FMain.h"
#include "shell/tests/Controls.h"
#include "testsupport/Environment.h"
#include "testsupport/Files.h"
#include "testsupport/TempFolder.h"
#include "testsupport/Tolvan.h"
#include "testsupport/WebVisitor.h"
#include "ui/MessageBox.h"
#include "util/Launch.h"

namespace fs = std::filesystem;

using shell::TfrmMain;
using shelltest::Control;
using testsupport::Environment;
using testsupport::WebVisitor;
using UUtils::Launcher;

namespace {

// A seller's sales page, and the temporary folder where the tries go.
class TryHere : public ::testing::Test {
 protected:
  TryHere() {
    testsupport::WriteFile(folder.Root() / "site" / "index.php",
                           "<html><body><h1>Buy the book</h1></body></html>\n");
    fs::create_directory(folder.Root() / "tmp");
    Launcher::ClearRecorded();
    ui::MessageBox::ClearShown();
  }

  std::string Page() const { return (folder.Root() / "site" / "index.php").string(); }

  testsupport::TempFolder folder;
  Environment tmp{"TMPDIR", folder.Path("tmp")};
};

}  // namespace

TEST_F(TryHere, opensTheServedPageWhichStaysUntilTheNextTryOrTheWindowCloses) {
  TfrmMain w(testsupport::BuiltAppFolder());
  w.show();
  EXPECT_EQ(Control<QPushButton>(w, "btnTryHere")->text(), "Try it here");
  EXPECT_EQ(Control<QPushButton>(w, "btnTryHere")->geometry(), QRect(250, 313, 113, 25));
  Control<QLineEdit>(w, "edtPage")->setText(QString::fromStdString(Page()));
  QTest::mouseClick(Control<QPushButton>(w, "btnTryHere"), Qt::LeftButton);
  QTest::mouseClick(Control<QPushButton>(w, "btnTryHere"), Qt::LeftButton);

  const auto& launched = Launcher::Recorded();
  ASSERT_EQ(launched.size(), 2u) << ui::MessageBox::Shown().back().text.toStdString();
  std::vector<std::string> addresses;
  for (const auto& request : launched) {
    ASSERT_EQ(request.arguments.size(), 1u);
    addresses.push_back(request.arguments[0]);
    EXPECT_EQ(addresses.back().rfind("http://127.0.0.1:", 0), 0u) << addresses.back();
  }
  WebVisitor visitor;
  EXPECT_THROW(visitor.Get(addresses[0]), std::runtime_error) << "the first try has stopped";
  EXPECT_NE(visitor.Get(addresses[1]).body.find("hurrex-bar"), std::string::npos);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Root() / "tmp"), {}), 1);

  w.close();
  EXPECT_THROW(visitor.Get(addresses[1]), std::runtime_error);
  EXPECT_TRUE(fs::is_empty(folder.Root() / "tmp"));
  EXPECT_TRUE(ui::MessageBox::Shown().empty());
}

TEST_F(TryHere, withoutPhpSaysHowToInstallIt) {
  fs::create_directory(folder.Root() / "bin");
  const Environment path("PATH", folder.Path("bin"));
  TfrmMain w;
  Control<QLineEdit>(w, "edtPage")->setText(QString::fromStdString(Page()));
  QTest::mouseClick(Control<QPushButton>(w, "btnTryHere"), Qt::LeftButton);
  ASSERT_EQ(ui::MessageBox::Shown().size(), 1u);
  EXPECT_TRUE(ui::MessageBox::Shown()[0].text.contains("sudo apt install php-cli"));
  EXPECT_TRUE(Launcher::Recorded().empty());
  EXPECT_TRUE(fs::is_empty(folder.Root() / "tmp"));
}

TEST_F(TryHere, theWindowTakesEventsButNoSecondTryWhileTheServerStarts) {
  TfrmMain w(testsupport::BuiltAppFolder());
  Control<QLineEdit>(w, "edtPage")->setText(QString::fromStdString(Page()));
  auto* button = Control<QPushButton>(w, "btnTryHere");
  int ticksWhileStarting = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (button->isEnabled()) return;
    ++ticksWhileStarting;
    QTest::mouseClick(button, Qt::LeftButton);
  });
  timer.start(0);
  QTest::mouseClick(button, Qt::LeftButton);
  timer.stop();

  EXPECT_GT(ticksWhileStarting, 0) << "the window handled no event while the server started";
  EXPECT_TRUE(button->isEnabled());
  ASSERT_EQ(Launcher::Recorded().size(), 1u) << "one try for the clicks during the start";
  EXPECT_NE(WebVisitor().Get(Launcher::Recorded()[0].arguments[0]).body.find("hurrex-bar"),
            std::string::npos);
  EXPECT_TRUE(ui::MessageBox::Shown().empty());
}
