#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <filesystem>

#include "generator/DateTime.h"
#include "generator/SetupKey.h"
#include "shell/FMain.h"
#include "shell/tests/Controls.h"
#include "testsupport/Retype.h"
#include "testsupport/TempFolder.h"
#include "testsupport/Tolvan.h"
#include "ui/ColorComboBox.h"
#include "ui/DateField.h"
#include "ui/FileDialog.h"
#include "ui/GroupBox.h"
#include "ui/SpinEdit.h"
#include "util/TextLines.h"

using namespace generator;
using shell::TfrmMain;
using shelltest::Control;
using testsupport::Retype;
using testsupport::TypeDate;

namespace fs = std::filesystem;

namespace {

class OfferPanel : public ::testing::Test {
 protected:
  void SetUp() override {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ui::MessageBox::ClearShown();
    // The program folder of the build, which holds the shipped files.
    window = std::make_unique<TfrmMain>(testsupport::BuiltAppFolder());
    window->show();
  }
  void TearDown() override { window.reset(); }

  // Where the text cursor stands in a field, in the field's coordinates.
  static int CursorX(QLineEdit* editor) {
    return editor->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
  }

  std::string LastMessage() const {
    const auto& shown = ui::MessageBox::Shown();
    return shown.empty() ? std::string() : shown.back().text.toStdString();
  }

  testsupport::TempFolder folder;
  const fs::path& dir = folder.Root();
  std::unique_ptr<TfrmMain> window;
};

}  // namespace

TEST_F(OfferPanel, freshStartShowsTheDesignedDefaults) {
  const auto& w = *window;
  EXPECT_EQ(Control<ui::GroupBox>(w, "bsSkinGroupBox2")->title(), "General");
  EXPECT_EQ(Control<ui::GroupBox>(w, "bsSkinGroupBox1")->title(), "Offer Type");
  EXPECT_EQ(Control<ui::GroupBox>(w, "bsSkinGroupBox3")->title(), "Hurrex Bar");
  EXPECT_EQ(Control<ui::GroupBox>(w, "bsSkinGroupBox4")->title(), "Next Page");
  EXPECT_EQ(Control<ui::GroupBox>(w, "bsSkinGroupBox3")->geometry(), QRect(398, 9, 356, 211));
  EXPECT_EQ(Control<QPushButton>(w, "btnGenerateScript")->text(), "Generate Script");
  EXPECT_EQ(Control<QPushButton>(w, "btnGenerateScript")->geometry(), QRect(12, 313, 113, 25));

  EXPECT_TRUE(Control<QLineEdit>(w, "edtPage")->text().isEmpty());
  EXPECT_TRUE(Control<QLineEdit>(w, "edtRedirectPage")->text().isEmpty());
  EXPECT_EQ(Control<ui::SpinEdit>(w, "edtMaxNumSales")->Value(), 0);
  EXPECT_EQ(Control<ui::SpinEdit>(w, "edtCounterRefresh")->Value(), 5);
  EXPECT_TRUE(Control<QRadioButton>(w, "rbtLimitNumber")->isChecked());
  EXPECT_EQ(Control<QRadioButton>(w, "rbtLimitNumber")->text(),
            " Only limit number of sales (you must insert the token %%copiesleft%%)");
  EXPECT_EQ(Control<QRadioButton>(w, "rbtOneTimeOffer")->text(),
            " One Time Offer(you must insert the token %%timeleft%%):");
  EXPECT_FALSE(Control<ui::DateField>(w, "edtExpiryDate")->isEnabled());
  EXPECT_FALSE(Control<ui::SpinEdit>(w, "edtTimeZone")->isEnabled());
  EXPECT_FALSE(Control<ui::SpinEdit>(w, "edtTimeOut")->isEnabled());
  EXPECT_EQ(Control<ui::SpinEdit>(w, "edtTimeZone")->Value(), 0);
  EXPECT_EQ(Control<ui::SpinEdit>(w, "edtTimeOut")->Value(), 0);
  EXPECT_EQ(Control<QLineEdit>(w, "edtHurrexText")->text(),
            "Your offer will expire in %%timeleft%% minutes");
  EXPECT_TRUE(Control<QRadioButton>(w, "rbtOnTop")->isChecked());
  EXPECT_FALSE(Control<QRadioButton>(w, "rbtOnBottom")->isChecked());
  EXPECT_EQ(Control<ui::ColorComboBox>(w, "cbxBarColor")->currentText(), "Yellow");
  EXPECT_EQ(Control<ui::ColorComboBox>(w, "cbxBarColor")->count(), 16);
  EXPECT_EQ(Control<ui::SpinEdit>(w, "edtBarWidth")->Value(), 700);
  EXPECT_EQ(Control<ui::SpinEdit>(w, "edtBarHeight")->Value(), 28);
  EXPECT_EQ(Control<ui::SpinEdit>(w, "edtBarBorder")->Value(), 0);

  // Today, with the time of day at which the window was made.
  const double now = LocalDateTimeNow();
  EXPECT_NEAR(Control<ui::DateField>(w, "edtExpiryDate")->Value(), now, 60.0 / 86400);
  EXPECT_NE(Control<ui::DateField>(w, "edtExpiryDate")->Value(),
            std::floor(Control<ui::DateField>(w, "edtExpiryDate")->Value()));
}

TEST_F(OfferPanel, offerTypeSetsTheDependentFields) {
  const struct {
    const char* button;
    bool date, zone, timeOut;
  } steps[] = {
      {"rbtExpiryDate", true, true, false},
      {"rbtExpiryDate", true, true, false},  // pressed again: nothing changes
      {"rbtOneTimeOffer", false, false, true},
      {"rbtLimitNumber", false, false, false},
      {"rbtOneTimeOffer", false, false, true},
      {"rbtExpiryDate", true, true, false},
  };
  for (const auto& step : steps) {
    QRadioButton* button = Control<QRadioButton>(*window, step.button);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    EXPECT_TRUE(button->isChecked()) << button->objectName().toStdString();
    EXPECT_EQ(Control<ui::DateField>(*window, "edtExpiryDate")->isEnabled(), step.date);
    EXPECT_EQ(Control<ui::SpinEdit>(*window, "edtTimeZone")->isEnabled(), step.zone);
    EXPECT_EQ(Control<ui::SpinEdit>(*window, "edtTimeOut")->isEnabled(), step.timeOut);
    const int selected = Control<QRadioButton>(*window, "rbtLimitNumber")->isChecked() +
                         Control<QRadioButton>(*window, "rbtExpiryDate")->isChecked() +
                         Control<QRadioButton>(*window, "rbtOneTimeOffer")->isChecked();
    EXPECT_EQ(selected, 1);
  }
}

TEST_F(OfferPanel, browseFillsThePageOnlyWhenConfirmed) {
  Control<QLineEdit>(*window, "edtPage")->setText("/keep/me.html");
  ui::FileDialog::QueueAnswer(std::nullopt);
  QTest::mouseClick(Control<QPushButton>(*window, "btnBrowse"), Qt::LeftButton);
  EXPECT_EQ(Control<QLineEdit>(*window, "edtPage")->text(), "/keep/me.html");
  const auto request = ui::FileDialog::LastRequest();
  ASSERT_TRUE(request.has_value());
  EXPECT_EQ(request->title, "Open file");
  EXPECT_EQ(request->filterName, "All files");

  ui::FileDialog::QueueAnswer(QStringLiteral("/srv/site/index.php"));
  QTest::mouseClick(Control<QPushButton>(*window, "btnBrowse"), Qt::LeftButton);
  EXPECT_EQ(Control<QLineEdit>(*window, "edtPage")->text(), "/srv/site/index.php");
}

TEST_F(OfferPanel, generateWithoutAPageOnlyAsksForOne) {
  for (const QString& page : {QString(), QString::fromStdString(dir.string()),
                              QString::fromStdString((dir / "missing.php").string())}) {
    Control<QLineEdit>(*window, "edtPage")->setText(page);
    QTest::mouseClick(Control<QPushButton>(*window, "btnGenerateScript"), Qt::LeftButton);
    EXPECT_EQ(LastMessage(), "Please provide a valid page to insert the script.");
    EXPECT_EQ(ui::MessageBox::Shown().back().caption, "Information");
  }
  EXPECT_TRUE(fs::is_empty(dir));
}

TEST_F(OfferPanel, generateWritesWhatTheControlsHold) {
  const auto page = dir / "sales.php";
  UUtils::WriteFileBytes(page.string(), "<html></html>");
  auto& w = *window;
  Control<QLineEdit>(w, "edtPage")->setText(QString::fromStdString(page.string()));
  QTest::mouseClick(Control<QRadioButton>(w, "rbtExpiryDate"), Qt::LeftButton, {}, QPoint(8, 8));
  TypeDate(Control<ui::DateField>(w, "edtExpiryDate")->Editor(), "01012010");
  Retype(Control<ui::SpinEdit>(w, "edtTimeZone"), "-5");
  Retype(Control<ui::SpinEdit>(w, "edtMaxNumSales"), "250");
  Retype(Control<ui::SpinEdit>(w, "edtBarWidth"), "0");
  Control<QLineEdit>(w, "edtHurrexText")
      ->setText(QString::fromUtf8("Only %%copiesleft%% left — \"now\""));
  Control<QLineEdit>(w, "edtRedirectPage")->setText("thanks.php");
  QTest::mouseClick(Control<QRadioButton>(w, "rbtOnBottom"), Qt::LeftButton, {}, QPoint(8, 8));
  Control<ui::ColorComboBox>(w, "cbxBarColor")->SelectColor(0x800000);  // Navy

  QTest::mouseClick(Control<QPushButton>(w, "btnGenerateScript"), Qt::LeftButton);

  EXPECT_EQ(LastMessage(),
            "Script generated in " + dir.string() + "/\r\nPlease upload to your server.");
  const auto lines = UUtils::ReadLines((dir / "stconfig1.php").string());
  ASSERT_EQ(lines.size(), 22u);
  EXPECT_EQ(lines[1], "$useoto = 0;");
  EXPECT_EQ(lines[4], "$offerexpire = 1262279400;");
  EXPECT_EQ(lines[5], "$maxsales = 250;");
  EXPECT_EQ(lines[7], "$page2 = \"thanks.php\";");
  EXPECT_EQ(lines[8], "$popuptext = \"Only %%copiesleft%% left — \\\"now\\\"\";");
  EXPECT_EQ(lines[9], "$popuptop = 0;");
  EXPECT_EQ(lines[11], "$popupwidth = 1;");
  EXPECT_EQ(lines[12], "$popupbgcolor = \"#000080\";");
  // The strip gives the set-up address; the configuration keeps only the key's digest.
  const auto strip = Control<QLabel>(*window, "lblOfferSummary")->text().toStdString();
  const auto at = strip.find("stchmod.php?key=");
  ASSERT_NE(at, std::string::npos) << strip;
  const auto key = strip.substr(at + 16, 32);
  EXPECT_EQ(lines[20], "$setupkey = \"" + generator::SetupKeyHash(key) + "\";");
  EXPECT_EQ(lines[20].find(key), std::string::npos);
  EXPECT_EQ(UUtils::ReadLines(page.string()).front(),
            "<?php include'stconfig1.php'; include'stmain.php'; ?>");
}

TEST_F(OfferPanel, summaryUnderThePanelFollowsTheSettings) {
  auto& w = *window;
  const auto summary = [&w] { return Control<QLabel>(w, "lblOfferSummary")->text(); };
  EXPECT_TRUE(Control<QLabel>(w, "lblOfferSummary")->isVisible());
  EXPECT_TRUE(summary().contains("the offer never closes")) << summary().toStdString();

  QTest::mouseClick(Control<QRadioButton>(w, "rbtExpiryDate"), Qt::LeftButton, {}, QPoint(8, 8));
  TypeDate(Control<ui::DateField>(w, "edtExpiryDate")->Editor(), "01012010");
  Retype(Control<ui::SpinEdit>(w, "edtTimeZone"), "-5");
  EXPECT_TRUE(summary().contains("19:00 UTC")) << summary().toStdString();
  EXPECT_TRUE(summary().contains("The expiry has already passed")) << summary().toStdString();
  EXPECT_FALSE(summary().contains("never closes")) << summary().toStdString();

  Retype(Control<ui::SpinEdit>(w, "edtMaxNumSales"), "250");
  Control<QLineEdit>(w, "edtHurrexText")
      ->setText("%%timeleft%% minutes, %%copiesleft%% copies & more");
  Control<QLineEdit>(w, "edtRedirectPage")->setText("<next>.php");
  EXPECT_TRUE(summary().contains("Closes after 250 sales.")) << summary().toStdString();
  EXPECT_TRUE(summary().contains("Next page: &lt;next&gt;.php,")) << summary().toStdString();
  EXPECT_FALSE(summary().contains("bar text")) << summary().toStdString();
}

TEST_F(OfferPanel, generateFileErrorIsReportedAndTheWindowGoesOn) {
  const auto page = dir / "sales.php";
  UUtils::WriteFileBytes(page.string(), "<html></html>");
  fs::create_directory(dir / "stconfig1.php");  // no file can be written there
  Control<QLineEdit>(*window, "edtPage")->setText(QString::fromStdString(page.string()));
  QTest::mouseClick(Control<QPushButton>(*window, "btnGenerateScript"), Qt::LeftButton);
  ASSERT_FALSE(ui::MessageBox::Shown().empty());
  EXPECT_EQ(ui::MessageBox::Shown().back().caption, "Error");
  EXPECT_EQ(
      LastMessage().rfind("Cannot create file \"" + (dir / "stconfig1.php").string() + "\". ", 0),
      0u)
      << LastMessage();
  EXPECT_TRUE(window->isVisible());
}

TEST_F(OfferPanel, aShippedFileNotCopiedIsReportedAsAnErrorAndThePageKeepsItsBytes) {
  const auto page = dir / "sales.php";
  UUtils::WriteFileBytes(page.string(), "<html></html>");
  fs::create_directory(dir / "stmain.php");  // no copy can be written there
  Control<QLineEdit>(*window, "edtPage")->setText(QString::fromStdString(page.string()));
  QTest::mouseClick(Control<QPushButton>(*window, "btnGenerateScript"), Qt::LeftButton);
  ASSERT_FALSE(ui::MessageBox::Shown().empty());
  EXPECT_EQ(ui::MessageBox::Shown().back().caption, "Error");
  EXPECT_NE(LastMessage().find("is incomplete, so the page was left unchanged."), std::string::npos)
      << LastMessage();
  EXPECT_NE(LastMessage().find("\r\nstmain.php: Cannot create file \"" +
                               (dir / "stmain.php").string() + "\". Is a directory."),
            std::string::npos)
      << LastMessage();
  EXPECT_EQ(UUtils::ReadFileBytes(page.string()), "<html></html>");
}

TEST_F(OfferPanel, theLargestValuesAreReadableInTheirFields) {
  auto& w = *window;
  for (ui::SpinEdit* field :
       {Control<ui::SpinEdit>(w, "edtMaxNumSales"), Control<ui::SpinEdit>(w, "edtCounterRefresh"),
        Control<ui::SpinEdit>(w, "edtBarWidth"), Control<ui::SpinEdit>(w, "edtBarHeight"),
        Control<ui::SpinEdit>(w, "edtBarBorder")}) {
    field->SetValue(10000000);
    auto* editor = field->findChild<QLineEdit*>();
    ASSERT_EQ(editor->text(), "10000000");
    // A text wider than its field scrolls: its two ends are then nearer than
    // the text is wide.
    editor->setCursorPosition(0);
    const int start = CursorX(editor);
    editor->end(false);
    const int end = CursorX(editor);
    EXPECT_EQ(end - start, editor->fontMetrics().horizontalAdvance(editor->text()))
        << field->objectName().toStdString();
    EXPECT_LE(CursorX(editor), editor->width() - 2) << field->objectName().toStdString();
  }
}

TEST_F(OfferPanel, captionsFitTheirBoxAndLeaveTheControlsClear) {
  auto& w = *window;
  for (ui::GroupBox* box :
       {Control<ui::GroupBox>(w, "bsSkinGroupBox2"), Control<ui::GroupBox>(w, "bsSkinGroupBox1"),
        Control<ui::GroupBox>(w, "bsSkinGroupBox3"), Control<ui::GroupBox>(w, "bsSkinGroupBox4")}) {
    ASSERT_FALSE(box->Captions().empty());
    for (const auto& caption : box->Captions()) {
      const QRect text = box->CaptionRect(caption);
      const std::string name = caption.text.toStdString();
      EXPECT_LE(text.right(), box->width() - 2) << name;
      for (const QWidget* control : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        EXPECT_FALSE(text.intersects(control->geometry()))
            << name << " runs under " << control->objectName().toStdString();
      }
    }
  }
  EXPECT_EQ(Control<ui::GroupBox>(w, "bsSkinGroupBox2")->Captions().front().topLeft,
            QPoint(11, 27));
  EXPECT_EQ(Control<ui::GroupBox>(w, "bsSkinGroupBox4")->Captions().front().text,
            "Next page to redirect. Example: nextpage.php:");
}
