// The built-in skin as the user meets it: the application object wears it, so
// every window and dialog does.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <cstdlib>

#include "ui/ColorComboBox.h"
#include "ui/DateField.h"
#include "ui/FileDialog.h"
#include "ui/MessageBox.h"

namespace {

const QColor kSurface(0xf3, 0xf5, 0xf8);
const QColor kAccent(0x25, 0x63, 0xeb);

QColor PixelOf(QWidget& widget, QPoint at) { return widget.grab().toImage().pixelColor(at); }

// Within a shade: styles may blend an outline into a selection.
bool Near(const QColor& a, const QColor& b) {
  return std::abs(a.red() - b.red()) <= 16 && std::abs(a.green() - b.green()) <= 16 &&
         std::abs(a.blue() - b.blue()) <= 16;
}

}  // namespace

TEST(Skin, messageBoxesWearTheSkin) {
  const ui::MessageBox messages;
  for (const bool withCancel : {false, true}) {
    const auto box = messages.MakeBox("Script generated in /srv/site/",
                                      ui::MessageKind::Information, withCancel);
    box->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(box.get()));
    EXPECT_EQ(PixelOf(*box, {2, 2}), kSurface);
    EXPECT_EQ(box->windowTitle(), "Information");
    const auto buttons = box->findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), withCancel ? 2 : 1);
    for (const QPushButton* button : buttons)
      EXPECT_GE(button->width(), 64) << button->text().toStdString();
  }
}

TEST(Skin, theFileDialogIsTheToolkitsOwnAndWearsTheSkin) {
  const auto dialog = ui::FileDialog::MakeOpenDialog(nullptr, "Open file", "All files", "*");
  EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog))
      << "a desktop's own dialog would not wear the skin";
  EXPECT_EQ(dialog->windowTitle(), "Open file");
  EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
  dialog->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
  EXPECT_EQ(PixelOf(*dialog, {2, 2}), kSurface);
}

TEST(Skin, theDropDownCalendarMarksTheDayInTheAccent) {
  ui::DateField field;
  field.SetValue(40179.0);  // 1 January 2010
  field.show();
  field.ShowCalendar();
  QCalendarWidget* calendar = field.Calendar();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(calendar->window()));
  EXPECT_EQ(calendar->firstDayOfWeek(), Qt::Sunday);
  auto* days = calendar->findChild<QTableView*>();
  ASSERT_NE(days, nullptr);
  const QRect day = days->visualRect(days->currentIndex());
  const QColor marked = PixelOf(*days->viewport(), {day.left() + 2, day.center().y()});
  EXPECT_TRUE(Near(marked, kAccent)) << marked.name().toStdString();
  calendar->window()->hide();
}

TEST(ColorComboBox, showsEightEntriesWhenOpen) {
  ui::ColorComboBox box;
  for (int i = 0; i < 16; ++i) box.AddColor(QString("Colour %1").arg(i), std::uint32_t(i));
  box.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
  box.showPopup();
  QAbstractItemView* list = box.view();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(list->window()));
  const int rowHeight = list->sizeHintForRow(0);
  ASSERT_GT(rowHeight, 0);
  EXPECT_EQ(list->viewport()->height() / rowHeight, 8);
  box.hidePopup();
}
