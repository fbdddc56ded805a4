#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <filesystem>
#include <regex>

#include "shell/FMain.h"
#include "shell/tests/Controls.h"
#include "testsupport/Retype.h"
#include "testsupport/TempFolder.h"
#include "testsupport/Tolvan.h"
#include "ui/ColorComboBox.h"
#include "ui/DateField.h"
#include "ui/SpinEdit.h"
#include "util/TextLines.h"

using shell::TfrmMain;
using shelltest::Control;
using testsupport::Retype;
using testsupport::TypeDate;

namespace fs = std::filesystem;

namespace {

// The file's bytes with the two values each generation draws anew, the cookie name's number and
// the digest of the set-up key, blanked out.
std::string WithoutCookieSuffix(const fs::path& file) {
  static const std::regex cookie("hurrex[0-9]{1,3}\"");
  static const std::regex key("\\$setupkey = \"[0-9a-f]{40}\"");
  return std::regex_replace(
      std::regex_replace(UUtils::ReadFileBytes(file.string()), cookie, "hurrexK\""), key,
      "$$setupkey = \"K\"");
}

}  // namespace

// The window and `tolvan generate` are two faces of one generator: the same
// settings must give the same page and configuration.
TEST(WindowAndCommand, sameSettingsWriteTheSamePackage) {
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  const testsupport::TempFolder folder;
  const fs::path& root = folder.Root();
  for (const char* site : {"window", "command"}) {
    fs::create_directories(root / site);
    UUtils::WriteFileBytes((root / site / "index.php").string(), "<html>\n<body>Buy</body>\n");
  }
  const std::string text = "Only %%copiesleft%% left, \"hurry\" $5 \\o/";

  TfrmMain w(testsupport::BuiltAppFolder());
  w.show();
  Control<QLineEdit>(w, "edtPage")
      ->setText(QString::fromStdString((root / "window" / "index.php").string()));
  QTest::mouseClick(Control<QRadioButton>(w, "rbtExpiryDate"), Qt::LeftButton, {}, QPoint(8, 8));
  TypeDate(Control<ui::DateField>(w, "edtExpiryDate")->Editor(), "01012010");
  Retype(Control<ui::SpinEdit>(w, "edtTimeZone"), "3");
  Retype(Control<ui::SpinEdit>(w, "edtMaxNumSales"), "99");
  Retype(Control<ui::SpinEdit>(w, "edtCounterRefresh"), "7");
  Retype(Control<ui::SpinEdit>(w, "edtBarWidth"), "500");
  Retype(Control<ui::SpinEdit>(w, "edtBarHeight"), "30");
  Retype(Control<ui::SpinEdit>(w, "edtBarBorder"), "2");
  Control<QLineEdit>(w, "edtHurrexText")->setText(QString::fromStdString(text));
  Control<QLineEdit>(w, "edtRedirectPage")->setText("next.php");
  QTest::mouseClick(Control<QRadioButton>(w, "rbtOnBottom"), Qt::LeftButton, {}, QPoint(8, 8));
  Control<ui::ColorComboBox>(w, "cbxBarColor")->SelectColor(0x800000);
  QTest::mouseClick(Control<QPushButton>(w, "btnGenerateScript"), Qt::LeftButton);

  const auto result =
      testsupport::RunTolvan({"generate",    "--page",   (root / "command" / "index.php").string(),
                              "--offer",     "expiry",   "--expiry",
                              "2010-01-01",  "--zone",   "3",
                              "--max-sales", "99",       "--refresh",
                              "7",           "--width",  "500",
                              "--height",    "30",       "--border",
                              "2",           "--text",   text,
                              "--next-page", "next.php", "--position",
                              "bottom",      "--color",  "Navy"});
  ASSERT_EQ(result.exitCode, 0) << result.err;

  for (const char* file : {"index.php", "stconfig1.php"}) {
    EXPECT_EQ(WithoutCookieSuffix(root / "window" / file),
              WithoutCookieSuffix(root / "command" / file))
        << file;
  }
  EXPECT_NE(UUtils::ReadFileBytes((root / "window" / "stconfig1.php").string())
                .find("$offerexpire = 1262308200;"),
            std::string::npos);
}
