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
#include "shell/tests/Controls.h"
#include "ui/ColorComboBox.h"
#include "ui/DateField.h"
#include "ui/HtmlView.h"
#include "ui/Skin.h"
#include "ui/SpinEdit.h"
#include "util/Launch.h"
#include "util/TextLines.h"

using brand::BrandProfile;
using shell::TfrmMain;
using shelltest::Control;
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
  for (const std::string offer : {"rbtLimitNumber", "rbtExpiryDate", "rbtOneTimeOffer"}) {
    QTest::mouseClick(Control<QRadioButton>(w, offer.c_str()), Qt::LeftButton, {}, QPoint(8, 8));
    Control<QLineEdit>(w, "edtPage")->setFocus();
    // The panel in its designed order, the header bar after it. A radio group
    // is one stop, at its selected button; disabled fields are passed over.
    std::vector<std::string> names = {"edtPage", "edtCounterRefresh", "edtMaxNumSales", "btnBrowse",
                                      offer};
    if (offer == "rbtExpiryDate") names.push_back("edtExpiryDate");
    if (offer == "rbtOneTimeOffer") names.push_back("edtTimeOut");
    if (offer == "rbtExpiryDate") names.push_back("edtTimeZone");
    for (const char* next : {"edtHurrexText", "rbtOnTop", "cbxBarColor", "edtBarWidth",
                             "edtBarHeight", "edtBarBorder", "edtRedirectPage", "btnGenerateScript",
                             "btnPreview", "btnTryHere", "btnPublish", "btnMakeMoney", "btnAbout",
                             "btnNews", "bsSkinSpeedButton1", "bsSkinSpeedButton2", "edtPage"}) {
      names.push_back(next);
    }
    std::vector<QWidget*> order;
    for (const std::string& name : names) order.push_back(Control<QWidget>(w, name.c_str()));
    const std::string& offerName = offer;
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
  ASSERT_EQ(Control<QStackedWidget>(w, "pgcPrinc")->currentWidget(),
            Control<QWidget>(w, "stsWelcome"));
  EXPECT_TRUE(Control<QPushButton>(w, "bsSkinButton1")->isDefault());
  for (QWidget* focus :
       {static_cast<QWidget*>(Control<ui::HtmlView>(w, "prfWelcome")), static_cast<QWidget*>(&w)}) {
    focus->setFocus();
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &w, Qt::Key_Return);
    EXPECT_EQ(Control<QStackedWidget>(w, "pgcPrinc")->currentWidget(),
              Control<QWidget>(w, "stsMain"));
    Control<QStackedWidget>(w, "pgcPrinc")->setCurrentWidget(Control<QWidget>(w, "stsWelcome"));
  }
  // Enter in the main page's fields presses nothing of the welcome page.
  Control<QStackedWidget>(w, "pgcPrinc")->setCurrentWidget(Control<QWidget>(w, "stsMain"));
  Control<QLineEdit>(w, "edtPage")->setFocus();
  QTest::keyClick(Control<QLineEdit>(w, "edtPage"), Qt::Key_Enter);
  EXPECT_EQ(Control<QStackedWidget>(w, "pgcPrinc")->currentWidget(),
            Control<QWidget>(w, "stsMain"));
}

TEST_F(Keyboard, enterPressesTheFocusedButtonAsSpaceDoes) {
  BrandProfile.AffiliateURL = "http://pay.example/";
  BrandProfile.AppHelpURL = "http://help.example/";
  TfrmMain w;
  Show(w);
  for (const int key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}) {
    Launcher::ClearRecorded();
    Control<QPushButton>(w, "btnMakeMoney")->setFocus(Qt::TabFocusReason);
    Press(key);
    Control<QToolButton>(w, "bsSkinSpeedButton2")->setFocus(Qt::TabFocusReason);
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
    QTest::keyClick(Control<QPushButton>(*box, "editAbout"), Qt::Key_Return);
  });
  Control<QPushButton>(w, "btnAbout")->setFocus(Qt::TabFocusReason);
  Press(Qt::Key_Return);
  EXPECT_TRUE(shown);
  Show(w);
  // Enter on a radio button or in a field presses nothing.
  Launcher::ClearRecorded();
  Control<QRadioButton>(w, "rbtOneTimeOffer")->setFocus(Qt::TabFocusReason);
  Press(Qt::Key_Return);
  EXPECT_FALSE(Control<QRadioButton>(w, "rbtOneTimeOffer")->isChecked());
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
    EXPECT_GE(PixelsMarkedByFocus(Control<QPushButton>(w, "bsSkinButton1"),
                                  Control<ui::HtmlView>(w, "prfWelcome")),
              40)
        << "bsSkinButton1";
    EXPECT_GE(PixelsMarkedByFocus(Control<ui::HtmlView>(w, "prfWelcome"),
                                  Control<QPushButton>(w, "bsSkinButton1")),
              40)
        << "prfWelcome";
    Control<QPushButton>(w, "bsSkinButton1")->click();
    Control<QRadioButton>(w, "rbtExpiryDate")->click();

    std::vector<QWidget*> controls;
    for (QWidget* c : w.findChildren<QWidget*>()) {
      if (c->isVisibleTo(&w) && c->isEnabled() && (c->focusPolicy() & Qt::TabFocus) &&
          !c->focusProxy() && c->window() == &w && !qobject_cast<ui::HtmlView*>(c)) {
        controls.push_back(c);
      }
    }
    ASSERT_GE(controls.size(), 20u);
    for (QWidget* control : controls) {
      QWidget* elsewhere = control == Control<QLineEdit>(w, "edtPage")
                               ? static_cast<QWidget*>(Control<QLineEdit>(w, "edtRedirectPage"))
                               : static_cast<QWidget*>(Control<QLineEdit>(w, "edtPage"));
      const int marked = PixelsMarkedByFocus(control, elsewhere);
      EXPECT_GE(marked, 40) << control->objectName().toStdString() << " "
                            << control->metaObject()->className() << " under skin "
                            << (skin == brandSkin ? "brand" : "built-in");
    }
    qApp->setStyleSheet(ui::Skin::BuiltIn());
    BrandProfile = {};
  }
}
