#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

#include "ui/BalloonHint.h"

namespace {

using ui::BalloonHint;

// A window to type and click into while a balloon shows.
class Balloon : public ::testing::Test {
 protected:
  Balloon() {
    BalloonHint::ClearShown();
    field_.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&field_));
  }

  // Shows a balloon and hands back its window, checked to be on the screen.
  QPointer<QWidget> Showing(const QString& text = QStringLiteral("Hello")) {
    hint_.Show(text, {400, 300});
    QPointer<QWidget> window = hint_.Window();
    EXPECT_TRUE(window && window->isVisible());
    return window;
  }
  // Whether the balloon is gone once the events have run.
  static bool Gone(const QPointer<QWidget>& window) {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return !window || !window->isVisible();
  }

  QLineEdit field_;
  BalloonHint hint_;
};

TEST_F(Balloon, showsItsTextBelowAndLeftOfTheAnchorWithoutTakingTheFocus) {
  field_.activateWindow();
  field_.setFocus();
  const QPointer<QWidget> window = Showing(QStringLiteral("You've Got A Message!\r\nNew"));
  ASSERT_EQ(BalloonHint::Shown().size(), 1u);
  EXPECT_EQ(BalloonHint::Shown()[0].text, "You've Got A Message!\r\nNew");
  EXPECT_EQ(BalloonHint::Shown()[0].anchor, QPoint(400, 300));

  const QRect area = window->geometry();
  EXPECT_EQ(area.top(), 300) << "the tip touches the anchor";
  EXPECT_LT(area.left(), 400);
  EXPECT_GT(area.right(), 400);
  EXPECT_GT(400 - area.left(), area.right() - 400) << "the bubble lies mostly to the left";
  EXPECT_GT(area.height(), 2 * window->fontMetrics().height()) << "two lines of text";
  EXPECT_TRUE(field_.hasFocus());
}

TEST_F(Balloon, closesAtTheNextKeyPressClickOrChangeOfActivation) {
  QPointer<QWidget> window = Showing();
  QTest::keyClick(&field_, Qt::Key_A);
  EXPECT_TRUE(Gone(window)) << "key press";

  window = Showing();
  QTest::mouseClick(&field_, Qt::LeftButton);
  EXPECT_TRUE(Gone(window)) << "click elsewhere";

  window = Showing();
  QTest::mouseClick(window, Qt::LeftButton);
  EXPECT_TRUE(Gone(window)) << "click on the balloon";

  for (const Qt::ApplicationState state : {Qt::ApplicationInactive, Qt::ApplicationActive}) {
    window = Showing();
    QApplicationStateChangeEvent change(state);
    QCoreApplication::sendEvent(qApp, &change);
    EXPECT_TRUE(Gone(window)) << "activation change to " << state;
  }

  window = Showing();
  QTest::qWait(50);
  EXPECT_FALSE(Gone(window)) << "nothing else closes it";
}

TEST_F(Balloon, aNewBalloonClosesTheOneBefore) {
  const QPointer<QWidget> first = Showing(QStringLiteral("first"));
  const QPointer<QWidget> second = Showing(QStringLiteral("second"));
  EXPECT_TRUE(Gone(first));
  EXPECT_FALSE(Gone(second));
  int balloons = 0;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    balloons += widget->objectName() == "balloonHint" && widget->isVisible();
  }
  EXPECT_EQ(balloons, 1);
}

TEST_F(Balloon, withoutACompositorIsCutToItsShapeInsteadOfSeeThrough) {
  for (const bool compositor : {true, false}) {
    SCOPED_TRACE(compositor ? "compositor" : "none");
    BalloonHint::AssumeCompositor(compositor);
    const QPointer<QWidget> window = Showing();
    EXPECT_EQ(window->testAttribute(Qt::WA_TranslucentBackground), compositor);
    const QRegion mask = window->mask();
    if (compositor) {
      EXPECT_TRUE(mask.isEmpty());
      continue;
    }
    // What the window keeps is the bubble with its tip and shadow: not the
    // corners, which would show black, nor the space beside the tip.
    const QRect area = window->rect();
    EXPECT_TRUE(mask.contains(area.center()));
    for (const QPoint corner : {area.topLeft(), area.topRight(), area.bottomLeft(),
                                area.bottomRight(), QPoint(0, area.height() / 2 - 10)}) {
      EXPECT_FALSE(mask.contains(corner)) << corner.x() << "," << corner.y();
    }
    // Below the text, inside the bubble: its own colour, opaque.
    EXPECT_EQ(window->grab().toImage().pixelColor(area.width() / 2, area.height() - 8),
              window->palette().color(QPalette::ToolTipBase));
  }
  BalloonHint::AssumeCompositor(std::nullopt);
}

}  // namespace
