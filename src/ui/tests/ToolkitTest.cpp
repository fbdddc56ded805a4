#include <gtest/gtest.h>
#include <zlib.h>

#include <QCoreApplication>
#include <QEvent>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <algorithm>
#include <stdexcept>

#include "ui/Application.h"
#include "ui/ColorComboBox.h"
#include "ui/Cp1252.h"
#include "ui/MessageBox.h"
#include "ui/Skin.h"

using ui::MessageBox;

TEST(MessageBox, seamRecordsMessagesAndGivesQueuedAnswers) {
  MessageBox::ClearShown();
  MessageBox box;
  MessageBox::QueueAnswer(ui::MessageButton::Cancel);
  EXPECT_EQ(box.Show("first", ui::MessageKind::Warning, true), ui::MessageButton::Cancel);
  EXPECT_EQ(box.Show("second", ui::MessageKind::Information), ui::MessageButton::Ok);
  ASSERT_EQ(MessageBox::Shown().size(), 2u);
  EXPECT_EQ(MessageBox::Shown()[0].caption, "Warning");
  EXPECT_EQ(MessageBox::Shown()[1].caption, "Information");
  EXPECT_EQ(MessageBox::Shown()[1].text, "second");
}

namespace {
class Thrower : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) throw std::runtime_error("boom in a handler");
    if (e->type() == QEvent::User + 1) ++handled;
    return QObject::event(e);
  }
  int handled = 0;
};
}  // namespace

TEST(Application, errorLeavingAHandlerIsReportedAndTheLoopGoesOn) {
  MessageBox::ClearShown();
  Thrower thrower;
  QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
  QCoreApplication::postEvent(&thrower, new QEvent(QEvent::Type(QEvent::User + 1)));
  QCoreApplication::processEvents();
  ASSERT_EQ(MessageBox::Shown().size(), 1u);
  EXPECT_EQ(MessageBox::Shown()[0].caption, "Error");
  EXPECT_EQ(MessageBox::Shown()[0].text, "boom in a handler");
  EXPECT_EQ(thrower.handled, 1);
}

TEST(Application, wearsItsOwnIconInEverySizeFrom16To256) {
  const QIcon icon = qApp->windowIcon();
  EXPECT_EQ(icon.cacheKey(), ui::Application::OwnIcon().cacheKey());
  QList<int> sides;
  for (const QSize& size : icon.availableSizes()) {
    EXPECT_EQ(size.width(), size.height());
    sides.push_back(size.width());
  }
  std::sort(sides.begin(), sides.end());
  EXPECT_EQ(sides, (QList<int>{16, 22, 24, 32, 48, 64, 128, 256}));
  // Drawn, not blank: the middle of the largest is not transparent.
  const QImage large = icon.pixmap(256).toImage();
  EXPECT_GT(qAlpha(large.pixel(128, 128)), 0);
}

TEST(Skin, builtInSkinInflatesToAStyleSheet) {
  const QString sheet = ui::Skin::BuiltIn();
  EXPECT_TRUE(sheet.contains("QPushButton"));
}

TEST(Skin, damagedDataInflatesToNothing) {
  const std::string text = "QWidget { color: red; }";
  std::string packed(compressBound(text.size()), '\0');
  uLongf size = packed.size();
  compress(reinterpret_cast<Bytef*>(packed.data()), &size,
           reinterpret_cast<const Bytef*>(text.data()), text.size());
  packed.resize(size);
  EXPECT_EQ(ui::Skin::Inflate(packed), QString::fromStdString(text));

  const std::string cases[] = {"", "not zlib at all", packed.substr(0, packed.size() - 3),
                               packed + "trailing"};
  for (const auto& data : cases) EXPECT_FALSE(ui::Skin::Inflate(data).has_value());
}

TEST(ColorComboBox, holdsColourValuesAndShowsEightAtOnce) {
  ui::ColorComboBox box;
  box.AddColor("Navy", 0x800000);
  box.AddColor("Yellow", 0x00FFFF);
  EXPECT_EQ(box.maxVisibleItems(), 8);
  EXPECT_TRUE(box.SelectColor(0x00FFFF));
  EXPECT_EQ(box.currentText(), "Yellow");
  EXPECT_EQ(box.ColorValue(), 0x00FFFFu);
  EXPECT_FALSE(box.SelectColor(0x123456));
}

// Navy is stored blue-first: its swatch must come out blue, not red.
TEST(ColorComboBox, swatchIsTheColourInAGreyOutlineThreeQuartersHigh) {
  ui::ColorComboBox box;
  box.AddColor("Navy", 0x800000);
  const QSize size = box.iconSize();
  const QImage swatch = box.itemIcon(0).pixmap(size).toImage();
  ASSERT_EQ(swatch.size(), size);
  const int height = size.height() * 3 / 4;
  const int top = (size.height() - height) / 2;
  const int bottom = top + height - 1;
  const QRgb grey = qRgb(0x60, 0x60, 0x60);
  EXPECT_EQ(swatch.pixel(size.width() / 2, size.height() / 2), qRgb(0, 0, 0x80));
  for (const QPoint edge : {QPoint(0, top), QPoint(size.width() - 1, bottom),
                            QPoint(size.width() / 2, top), QPoint(0, size.height() / 2)}) {
    EXPECT_EQ(swatch.pixel(edge), grey) << edge.x() << "," << edge.y();
  }
  EXPECT_EQ(qAlpha(swatch.pixel(0, top - 1)), 0);
  EXPECT_EQ(qAlpha(swatch.pixel(0, bottom + 1)), 0);
}

TEST(Cp1252, bytesBecomeTheirCharacters) {
  EXPECT_EQ(ui::FromCp1252("caf\xE9 \x80 \x93quoted\x94 \x81"),
            QString::fromUtf8("café € “quoted” \xC2\x81"));
}
