#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>

#include "brand/BrandProfile.h"
#include "shell/FMain.h"
#include "ui/ColorComboBox.h"
#include "ui/DateField.h"
#include "ui/HtmlView.h"
#include "ui/SpinEdit.h"

using brand::BrandProfile;
using shell::TfrmMain;

namespace {

class Keyboard : public ::testing::Test {
 protected:
  void TearDown() override { BrandProfile = {}; }

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
             w.btnMakeMoney, w.btnAbout, w.btnNews, w.bsSkinSpeedButton1, w.bsSkinSpeedButton2,
             w.edtPage}) {
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
