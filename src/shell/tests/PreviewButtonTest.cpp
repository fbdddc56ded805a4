#include <gtest/gtest.h>

#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <filesystem>

#include "generator/OfferSettings.h"
#include "preview/PreviewPage.h"
#include "shell/FMain.h"
#include "shell/tests/Controls.h"
#include "testsupport/Environment.h"
#include "testsupport/Retype.h"
#include "ui/ColorComboBox.h"
#include "ui/SpinEdit.h"
#include "util/Launch.h"
#include "util/TextLines.h"

using shell::TfrmMain;
using shelltest::Control;
using testsupport::Retype;
using UUtils::Launcher;

namespace {

class PreviewButton : public ::testing::Test {
 protected:
  PreviewButton() {
    ui::MessageBox::ClearShown();
    Launcher::ClearRecorded();
    window->show();
  }
  ~PreviewButton() override {
    Launcher::ClearRecorded();
    ui::MessageBox::ClearShown();
  }

  // The page the last preview opened, by the address the browser got.
  static std::string OpenedPage() {
    const std::string address = Launcher::Recorded().back().arguments.at(0);
    EXPECT_EQ(address.rfind("file://", 0), 0u) << address;
    return address.substr(7);
  }

  std::unique_ptr<TfrmMain> window = std::make_unique<TfrmMain>();
};

}  // namespace

// Where it stands; the keyboard test walks the Tab order through it.
TEST_F(PreviewButton, standsRightOfGenerateScript) {
  const TfrmMain& w = *window;
  EXPECT_EQ(Control<QPushButton>(w, "btnPreview")->text(), "Preview");
  const QRect generate = Control<QPushButton>(w, "btnGenerateScript")->geometry(),
              preview = Control<QPushButton>(w, "btnPreview")->geometry();
  EXPECT_EQ(generate, QRect(12, 313, 113, 25));
  EXPECT_EQ(preview.top(), generate.top());
  EXPECT_EQ(preview.height(), generate.height());
  EXPECT_GT(preview.left(), generate.right());
  EXPECT_LE(preview.left(), generate.right() + 8);
}

// Each press writes the page of the panel's settings at that moment into the
// window's own folder and opens it; the folder goes with the window.
TEST_F(PreviewButton, opensThePanelsOfferOnASamplePageUntilTheWindowGoes) {
  TfrmMain& w = *window;
  QTest::mouseClick(Control<QRadioButton>(w, "rbtOneTimeOffer"), Qt::LeftButton, {}, QPoint(8, 8));
  Retype(Control<ui::SpinEdit>(w, "edtTimeOut"), "15");
  Retype(Control<ui::SpinEdit>(w, "edtMaxNumSales"), "7");
  Control<ui::ColorComboBox>(w, "cbxBarColor")->SelectColor(0x800000);
  Control<QLineEdit>(w, "edtHurrexText")->setText("%%timeleft%% minutes, %%copiesleft%% copies");
  QTest::mouseClick(Control<QPushButton>(w, "btnPreview"), Qt::LeftButton);
  ASSERT_EQ(Launcher::Recorded().size(), 1u);
  const std::string page = OpenedPage();
  // What the panel holds, the rest at its defaults. A one-time offer starts at
  // the visitor's first view, whenever that is.
  generator::OfferSettings settings;
  settings.oneTimeOffer = true;
  settings.timeOut = 15;
  settings.maxNumSales = 7;
  settings.barColor = 0x800000;
  settings.hurrexText = "%%timeleft%% minutes, %%copiesleft%% copies";
  EXPECT_EQ(UUtils::ReadFileBytes(page), preview::PreviewPage(settings, 0));
  EXPECT_NE(UUtils::ReadFileBytes(page).find("#000080"), std::string::npos);

  Retype(Control<ui::SpinEdit>(w, "edtTimeOut"), "30");
  QTest::mouseClick(Control<QPushButton>(w, "btnPreview"), Qt::LeftButton);
  ASSERT_EQ(Launcher::Recorded().size(), 2u);
  EXPECT_EQ(OpenedPage(), page);
  settings.timeOut = 30;
  EXPECT_EQ(UUtils::ReadFileBytes(page), preview::PreviewPage(settings, 0));
  EXPECT_TRUE(ui::MessageBox::Shown().empty());

  window.reset();
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(page).parent_path()));
}

TEST_F(PreviewButton, withoutABrowserSaysWhereThePageIs) {
  {
    const testsupport::Environment browser("BROWSER", "/nonexistent/browser");
    Launcher::RecordOnly(false);
    QTest::mouseClick(Control<QPushButton>(*window, "btnPreview"), Qt::LeftButton);
    Launcher::RecordOnly(true);
  }
  ASSERT_EQ(ui::MessageBox::Shown().size(), 1u);
  const auto& message = ui::MessageBox::Shown().front();
  EXPECT_EQ(message.kind, ui::MessageKind::Warning);
  const QString text = message.text;
  const QString path = text.mid(text.indexOf('\n') + 1);
  EXPECT_TRUE(text.startsWith("No web browser could be started")) << text.toStdString();
  EXPECT_TRUE(path.endsWith("/preview.html")) << text.toStdString();
  EXPECT_TRUE(std::filesystem::exists(path.toStdString()));
}
