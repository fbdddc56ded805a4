#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "brand/BrandProfile.h"
#include "shell/FMain.h"
#include "shell/tests/Controls.h"
#include "ui/HtmlView.h"
#include "ui/LinkLabel.h"
#include "ui/PictureView.h"

using brand::BrandProfile;
using shell::TfrmMain;
using shelltest::Control;

namespace {

class MainWindow : public ::testing::Test {
 protected:
  void TearDown() override { BrandProfile = {}; }

  // Counts the start-up check's ticks over a while.
  static int TicksWithin(TfrmMain& window, int milliseconds) {
    QSignalSpy ticks(Control<QTimer>(window, "Timer1"), &QTimer::timeout);
    QTest::qWait(milliseconds);
    return int(ticks.count());
  }
};

}  // namespace

TEST_F(MainWindow, withoutBrandShowsMainPageInItsDesignedState) {
  TfrmMain window;
  ASSERT_TRUE(Control<QTimer>(window, "Timer1")->isActive())
      << "the start-up check waits for no welcome page";
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  EXPECT_EQ(window.windowTitle(), "Hurrex Tolvan");
  EXPECT_EQ(window.size(), QSize(768, 610));  // the designed 514 and the offer's summary strip
  EXPECT_EQ(Control<QStackedWidget>(window, "pgcPrinc")->count(), 1);
  EXPECT_EQ(Control<QStackedWidget>(window, "pgcPrinc")->currentWidget(),
            Control<QWidget>(window, "stsMain"));
  EXPECT_EQ(window.findChild<QWidget*>("stsWelcome"), nullptr);
  EXPECT_TRUE(Control<QToolButton>(window, "btnNews")->isVisible());
  EXPECT_EQ(Control<QToolButton>(window, "btnNews")->toolTip(), "Check News");
  EXPECT_EQ(Control<QToolButton>(window, "bsSkinSpeedButton1")->toolTip(), "Check Updates");
  EXPECT_EQ(Control<QToolButton>(window, "bsSkinSpeedButton2")->toolTip(), "Help");
  EXPECT_EQ(Control<QPushButton>(window, "btnMakeMoney")->text(), "Make Money");
  EXPECT_EQ(Control<QPushButton>(window, "btnAbout")->text(), "About");
  EXPECT_TRUE(Control<QWidget>(window, "panBanner")->isVisible());
  EXPECT_EQ(Control<QWidget>(window, "panBanner")->height(), 65);
  EXPECT_EQ(Control<QWidget>(window, "bsSkinPanel4")->height(), 43);
  EXPECT_EQ(Control<QWidget>(window, "panLinks")->height(), 36);
  EXPECT_FALSE(Control<ui::LinkLabel>(window, "lblLink1URL")->text().isEmpty());
  EXPECT_FALSE(Control<ui::LinkLabel>(window, "lblLink2URL")->text().isEmpty());
  EXPECT_EQ(Control<ui::PictureView>(window, "gifBanner")->geometry(),
            Control<ui::PictureView>(window, "imgBanner")->geometry());

  EXPECT_EQ(TicksWithin(window, 400), 1) << "exactly one start-up check";
  EXPECT_FALSE(Control<QTimer>(window, "Timer1")->isActive());
}

TEST_F(MainWindow, welcomePageHoldsTheCheckUntilTheUserLeavesIt) {
  BrandProfile.WelcomePage = "<h1>Welcome, reseller</h1>";
  TfrmMain window;
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  EXPECT_EQ(Control<QStackedWidget>(window, "pgcPrinc")->currentWidget(),
            Control<QWidget>(window, "stsWelcome"));
  EXPECT_EQ(
      Control<QStackedWidget>(window, "pgcPrinc")->indexOf(Control<QWidget>(window, "stsMain")), 1);
  EXPECT_TRUE(QTest::qWaitFor([&window] {
    return Control<ui::HtmlView>(window, "prfWelcome")->toPlainText().contains("Welcome, reseller");
  }));
  EXPECT_TRUE(Control<ui::HtmlView>(window, "prfWelcome")->isReadOnly());
  EXPECT_EQ(Control<QPushButton>(window, "bsSkinButton1")->text(),
            "Thanks, just show me the main application");
  EXPECT_EQ(TicksWithin(window, 300), 0);

  QTest::mouseClick(Control<QPushButton>(window, "bsSkinButton1"), Qt::LeftButton);
  EXPECT_EQ(Control<QStackedWidget>(window, "pgcPrinc")->currentWidget(),
            Control<QWidget>(window, "stsMain"));
  EXPECT_EQ(TicksWithin(window, 400), 1);
}

// The offer panel behind a welcome page is made after the first frame; the
// user may leave the page before or after that and finds it whole, once.
TEST_F(MainWindow, offerPanelBehindTheWelcomePageIsWholeWheneverTheUserLeavesIt) {
  for (const bool beforeFirstFrame : {true, false}) {
    SCOPED_TRACE(beforeFirstFrame ? "left before the first frame" : "left after it");
    BrandProfile.WelcomePage = "<p>hello</p>";
    TfrmMain window;
    window.show();
    if (!beforeFirstFrame) {
      ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
      ASSERT_TRUE(QTest::qWaitFor(
          [&window] { return window.findChild<QPushButton*>("btnGenerateScript") != nullptr; }));
    }
    Control<QPushButton>(window, "bsSkinButton1")->click();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(50);

    EXPECT_EQ(Control<QStackedWidget>(window, "pgcPrinc")->currentWidget(),
              Control<QWidget>(window, "stsMain"));
    EXPECT_EQ(window.findChildren<QPushButton*>("btnGenerateScript").size(), 1);
    EXPECT_TRUE(Control<QPushButton>(window, "btnGenerateScript")->isVisible());
    EXPECT_TRUE(Control<QLineEdit>(window, "edtPage")->isVisible());
    EXPECT_TRUE(Control<QLabel>(window, "lblOfferSummary")->isVisible());
    EXPECT_FALSE(Control<QLabel>(window, "lblOfferSummary")->text().isEmpty());
    EXPECT_EQ(Control<QWidget>(window, "panSummary")->height(), 96);
  }
}

TEST_F(MainWindow, closingOnTheWelcomePageNeverRunsTheCheck) {
  BrandProfile.WelcomePage = "<p>hello</p>";
  TfrmMain window;
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  window.close();
  EXPECT_EQ(TicksWithin(window, 300), 0);
}

TEST_F(MainWindow, resizingKeepsTheBannerCentred) {
  TfrmMain window;
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  for (const QSize size : {QSize(1000, 700), QSize(640, 514), QSize(1301, 800)}) {
    window.resize(size);
    QCoreApplication::processEvents();
    const int stripWidth = Control<QWidget>(window, "panBanner")->width();
    ASSERT_EQ(stripWidth, size.width());
    for (QLabel* banner : {Control<ui::PictureView>(window, "imgBanner"),
                           Control<ui::PictureView>(window, "gifBanner")}) {
      EXPECT_EQ(banner->x(), stripWidth / 2 - banner->width() / 2) << size.width();
      EXPECT_EQ(banner->y(), 65 / 2 - banner->height() / 2);
    }
  }
}
