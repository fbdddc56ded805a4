#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "brand/BrandProfile.h"
#include "shell/FAbout.h"
#include "shell/FMain.h"
#include "ui/ColorComboBox.h"
#include "ui/DateField.h"
#include "ui/HtmlView.h"
#include "ui/Skin.h"
#include "ui/SpinEdit.h"
#include "util/Launch.h"
#include "util/TextLines.h"

using brand::BrandProfile;
using shell::TfrmMain;
using UUtils::Launcher;

namespace {

class Keyboard : public ::testing::Test {
 protected:
  void TearDown() override {
    BrandProfile = {};
    qApp->setStyleSheet(ui::Skin::BuiltIn());
  }

  static void Show(TfrmMain& window) {
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }

  // The control that has the focus; a field's inner editor counts as the field.
  static QWidget* Focused() {
    QWidget* focus = QApplication::focusWidget();
    for (QWidget* w = focus; w; w = w->parentWidget()) {
      if (qobject_cast<ui::SpinEdit*>(w) || qobject_cast<ui::DateField*>(w)) return w;
    }
    return focus;
  }

  static void Press(int key, Qt::KeyboardModifiers modifiers = {}) {
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr);
    QTest::keyClick(target, Qt::Key(key), modifiers);
  }
};

}  // namespace

TEST_F(Keyboard, tabWalksThePanelInItsDesignedOrderAndGoesRound) {
  TfrmMain w;
  Show(w);
  QRadioButton* TfrmMain::*selected[] = {&TfrmMain::rbtLimitNumber, &TfrmMain::rbtExpiryDate,
                                         &TfrmMain::rbtOneTimeOffer};
  for (auto offer : selected) {
    QTest::mouseClick(w.*offer, Qt::LeftButton, {}, QPoint(8, 8));
    w.edtPage->setFocus();
    // The panel in its designed order, the header bar after it. A radio group
    // is one stop, at its selected button; disabled fields are passed over.
    std::vector<QWidget*> order = {w.edtPage, w.edtCounterRefresh, w.edtMaxNumSales, w.btnBrowse,
                                   w.*offer};
    if (offer == &TfrmMain::rbtExpiryDate) order.push_back(w.edtExpiryDate);
    if (offer == &TfrmMain::rbtOneTimeOffer) order.push_back(w.edtTimeOut);
    if (offer == &TfrmMain::rbtExpiryDate) order.push_back(w.edtTimeZone);
    for (QWidget* next : std::initializer_list<QWidget*>{
             w.edtHurrexText, w.rbtOnTop, w.cbxBarColor, w.edtBarWidth, w.edtBarHeight,
             w.edtBarBorder, w.edtRedirectPage, w.btnGenerateScript, w.btnPreview, w.btnTryHere,
             w.btnPublish, w.btnMakeMoney, w.btnAbout, w.btnNews, w.bsSkinSpeedButton1,
             w.bsSkinSpeedButton2, w.edtPage}) {
      order.push_back(next);
    }
    const std::string offerName = (w.*offer)->objectName().toStdString();
    for (std::size_t i = 1; i < order.size(); ++i) {
      Press(Qt::Key_Tab);
      ASSERT_EQ(Focused(), order[i]) << offerName << ": Tab number " << i << " should reach "
                                     << order[i]->objectName().toStdString();
    }
    // Backwards the same way.
    for (std::size_t i = order.size() - 1; i > 0; --i) {
      Press(Qt::Key_Backtab, Qt::ShiftModifier);
      ASSERT_EQ(Focused(), order[i - 1])
          << offerName << ": Shift+Tab back to " << order[i - 1]->objectName().toStdString();
    }
  }
}

TEST_F(Keyboard, enterOnTheWelcomePagePressesItsDefaultButton) {
  BrandProfile.WelcomePage = "<p>Welcome</p>";
  TfrmMain w;
  Show(w);
  ASSERT_EQ(w.pgcPrinc->currentWidget(), w.stsWelcome);
  EXPECT_TRUE(w.bsSkinButton1->isDefault());
  for (QWidget* focus : {static_cast<QWidget*>(w.prfWelcome), static_cast<QWidget*>(&w)}) {
    focus->setFocus();
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &w, Qt::Key_Return);
    EXPECT_EQ(w.pgcPrinc->currentWidget(), w.stsMain);
    w.pgcPrinc->setCurrentWidget(w.stsWelcome);
  }
  // Enter in the main page's fields presses nothing of the welcome page.
  w.pgcPrinc->setCurrentWidget(w.stsMain);
  w.edtPage->setFocus();
  QTest::keyClick(w.edtPage, Qt::Key_Enter);
  EXPECT_EQ(w.pgcPrinc->currentWidget(), w.stsMain);
}

TEST_F(Keyboard, enterPressesTheFocusedButtonAsSpaceDoes) {
  BrandProfile.AffiliateURL = "http://pay.example/";
  BrandProfile.AppHelpURL = "http://help.example/";
  TfrmMain w;
  Show(w);
  for (const int key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}) {
    Launcher::ClearRecorded();
    w.btnMakeMoney->setFocus(Qt::TabFocusReason);
    Press(key);
    w.bsSkinSpeedButton2->setFocus(Qt::TabFocusReason);
    Press(key);
    ASSERT_EQ(Launcher::Recorded().size(), 2u) << "key " << key;
    EXPECT_EQ(Launcher::Recorded()[0].arguments.at(0), "http://pay.example/");
    EXPECT_EQ(Launcher::Recorded()[1].arguments.at(0), "http://help.example/");
  }
  // Enter on the about button opens the box, and Enter in the box closes it.
  bool shown = false;
  QTimer::singleShot(0, [&shown] {
    auto* box = qobject_cast<shell::TfrmAbout*>(QApplication::activeModalWidget());
    if (!box) return;
    shown = true;
    QTest::keyClick(box->editAbout, Qt::Key_Return);
  });
  w.btnAbout->setFocus(Qt::TabFocusReason);
  Press(Qt::Key_Return);
  EXPECT_TRUE(shown);
  Show(w);
  // Enter on a radio button or in a field presses nothing.
  Launcher::ClearRecorded();
  w.rbtOneTimeOffer->setFocus(Qt::TabFocusReason);
  Press(Qt::Key_Return);
  EXPECT_FALSE(w.rbtOneTimeOffer->isChecked());
  EXPECT_TRUE(Launcher::Recorded().empty());
}

namespace {

// How many of the control's pixels change when it takes the focus from the
// keyboard: the focus must show as a ring or a marked edge, not a shade.
int PixelsMarkedByFocus(QWidget* control, QWidget* elsewhere) {
  // As drawn in its window, over what lies beneath it.
  QWidget* window = control->window();
  const QRect place(control->mapTo(window, QPoint(0, 0)), control->size());
  elsewhere->setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
  const QImage before = window->grab(place).toImage();
  control->setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
  const QImage after = window->grab(place).toImage();
  int marked = 0;
  for (int y = 0; y < before.height(); ++y) {
    for (int x = 0; x < before.width(); ++x) {
      const QColor a = before.pixelColor(x, y), b = after.pixelColor(x, y);
      const int contrast = std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                           std::abs(a.blue() - b.blue());
      if (contrast >= 120) ++marked;
    }
  }
  return marked;
}

}  // namespace

TEST_F(Keyboard, focusIsClearlyVisibleOnEveryControlUnderBothSkins) {
  const QString brandSkin = QString::fromStdString(
      UUtils::ReadFileBytes(std::string(BRAND_EXAMPLE_DIR) + "/mainskin.qss"));
  for (const QString& skin : {ui::Skin::BuiltIn(), brandSkin}) {
    qApp->setStyleSheet(skin);
    BrandProfile.WelcomePage = "<p>Welcome</p>";
    TfrmMain w;
    Show(w);
    EXPECT_GE(PixelsMarkedByFocus(w.bsSkinButton1, w.prfWelcome), 40) << "bsSkinButton1";
    EXPECT_GE(PixelsMarkedByFocus(w.prfWelcome, w.bsSkinButton1), 40) << "prfWelcome";
    w.bsSkinButton1->click();
    w.rbtExpiryDate->click();

    std::vector<QWidget*> controls;
    for (QWidget* c : w.findChildren<QWidget*>()) {
      if (c->isVisibleTo(&w) && c->isEnabled() && (c->focusPolicy() & Qt::TabFocus) &&
          !c->focusProxy() && c->window() == &w && !qobject_cast<ui::HtmlView*>(c)) {
        controls.push_back(c);
      }
    }
    ASSERT_GE(controls.size(), 20u);
    for (QWidget* control : controls) {
      QWidget* elsewhere = control == w.edtPage ? static_cast<QWidget*>(w.edtRedirectPage)
                                                : static_cast<QWidget*>(w.edtPage);
      const int marked = PixelsMarkedByFocus(control, elsewhere);
      EXPECT_GE(marked, 40) << control->objectName().toStdString() << " "
                            << control->metaObject()->className() << " under skin "
                            << (skin == brandSkin ? "brand" : "built-in");
    }
    qApp->setStyleSheet(ui::Skin::BuiltIn());
    BrandProfile = {};
  }
}
