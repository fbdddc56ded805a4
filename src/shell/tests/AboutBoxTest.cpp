#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include "brand/BrandProfile.h"
#include "shell/FAbout.h"
#include "shell/FMain.h"
#include "shell/tests/Controls.h"

using shell::TfrmAbout;
using shell::TfrmMain;
using shelltest::Control;

namespace {

class AboutBox : public ::testing::Test {
 protected:
  void TearDown() override { brand::BrandProfile = {}; }
};

}  // namespace

TEST_F(AboutBox, withoutBrandShowsTheVersionAndEmptyBrandTexts) {
  TfrmAbout box(brand::TBrandProfile{});
  EXPECT_EQ(box.windowTitle(), "About ...");
  EXPECT_EQ(Control<QLabel>(box, "lblProductName")->text(), "");
  EXPECT_EQ(Control<QLabel>(box, "lblProductVersion")->text(), "Product Version: 2.01");
  EXPECT_EQ(Control<QLabel>(box, "lblCopyright")->text(), "Copyright (c)  ");
  EXPECT_EQ(Control<QPlainTextEdit>(box, "memAbout")->toPlainText(), "");
  EXPECT_EQ(box.size(), QSize(368, 211));
  EXPECT_EQ(Control<QPushButton>(box, "editAbout")->text(), "Ok");
  EXPECT_EQ(Control<QPushButton>(box, "editAbout")->geometry(), QRect(129, 171, 87, 21));
}

TEST_F(AboutBox, showsTheBrandAndItsScrollBarScrollsTheText) {
  brand::TBrandProfile brand;
  brand.ApplicationName = "Caf\xE9 Seller";
  brand.CopyrightYears = "2009-2011";
  brand.CopyrightCompany = "Shop Ltd";
  std::string about = "First\r\nSecond\rThird\n";
  for (int i = 4; i <= 30; ++i) about += "Line " + std::to_string(i) + "\r\n";
  brand.AboutText = about;

  TfrmAbout box(brand);
  EXPECT_EQ(box.windowTitle(), QString::fromUtf8("About Café Seller..."));
  EXPECT_EQ(Control<QLabel>(box, "lblProductName")->text(), QString::fromUtf8("Café Seller"));
  EXPECT_TRUE(Control<QLabel>(box, "lblProductName")->font().bold());
  EXPECT_EQ(Control<QLabel>(box, "lblCopyright")->text(), "Copyright (c) 2009-2011 Shop Ltd");
  EXPECT_GT(Control<QLabel>(box, "lblCopyright")->y(),
            Control<QLabel>(box, "lblProductVersion")->y());
  EXPECT_EQ(Control<QPlainTextEdit>(box, "memAbout")->document()->blockCount(), 31);
  EXPECT_EQ(Control<QPlainTextEdit>(box, "memAbout")->document()->findBlockByNumber(2).text(),
            "Third");
  EXPECT_TRUE(Control<QPlainTextEdit>(box, "memAbout")->isReadOnly());

  box.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
  QScrollBar* inner = Control<QPlainTextEdit>(box, "memAbout")->verticalScrollBar();
  ASSERT_GT(Control<QScrollBar>(box, "bsSkinScrollBar1")->maximum(), 0);
  EXPECT_EQ(Control<QScrollBar>(box, "bsSkinScrollBar1")->maximum(), inner->maximum());
  Control<QScrollBar>(box, "bsSkinScrollBar1")->setValue(5);
  EXPECT_EQ(inner->value(), 5);
  // The caret moves with the keyboard and takes the scroll bar along.
  box.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
  Control<QPlainTextEdit>(box, "memAbout")->setFocus();
  QTest::keyClick(Control<QPlainTextEdit>(box, "memAbout"), Qt::Key_End, Qt::ControlModifier);
  EXPECT_GT(inner->value(), 20);
  EXPECT_EQ(Control<QScrollBar>(box, "bsSkinScrollBar1")->value(), inner->value());
  QTest::keyClicks(Control<QPlainTextEdit>(box, "memAbout"), "typed");
  EXPECT_FALSE(Control<QPlainTextEdit>(box, "memAbout")->toPlainText().contains("typed"));

  Control<QPushButton>(box, "editAbout")->click();
  EXPECT_FALSE(box.isVisible());
}

TEST_F(AboutBox, theAboutButtonShowsAFreshModalBox) {
  brand::BrandProfile.ApplicationName = "Shop";
  TfrmMain window(std::string("/nonexistent/"));
  QString seen;
  QTimer::singleShot(0, [&seen] {
    auto* box = qobject_cast<TfrmAbout*>(QApplication::activeModalWidget());
    if (!box) return;
    seen = Control<QLabel>(*box, "lblProductName")->text();
    Control<QPushButton>(*box, "editAbout")->click();
  });
  Control<QPushButton>(window, "btnAbout")->click();
  EXPECT_EQ(seen, "Shop");
}
