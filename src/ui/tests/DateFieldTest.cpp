#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTest>

#include "ui/DateField.h"
#include "ui/MessageBox.h"

using ui::DateField;
using ui::DatePattern;

TEST(DatePattern, maskFollowsTheLocaleShortDateOrder) {
  const struct {
    QLocale locale;
    const char* mask;
    QDate date;
    const char* text;
  } cases[] = {
      {QLocale(QLocale::English, QLocale::UnitedStates),
       "99/99/9999; ",
       {2010, 1, 2},
       "01/02/2010"},
      {QLocale(QLocale::German, QLocale::Germany), "99.99.9999; ", {2010, 1, 2}, "02.01.2010"},
      {QLocale(QLocale::Japanese, QLocale::Japan), "9999/99/99; ", {2010, 1, 2}, "2010/01/02"},
  };
  for (const auto& c : cases) {
    const DatePattern pattern(c.locale);
    EXPECT_EQ(pattern.InputMask().toStdString(), c.mask) << c.locale.name().toStdString();
    EXPECT_EQ(pattern.Format(c.date).toStdString(), c.text);
    const auto read = pattern.Read(pattern.Format(c.date));
    EXPECT_EQ(read.reading, DatePattern::Reading::Valid);
    EXPECT_EQ(read.date, c.date);
  }
}

TEST(DatePattern, readingNeedsEveryPositionAndRealDays) {
  const DatePattern pattern(QLocale(QLocale::English, QLocale::UnitedStates));
  const struct {
    const char* text;
    DatePattern::Reading reading;
  } cases[] = {
      {"01/01/2010", DatePattern::Reading::Valid},
      {"02/29/2012", DatePattern::Reading::Valid},
      {"01/0 /2010", DatePattern::Reading::Incomplete},
      {"13/01/2010", DatePattern::Reading::Incomplete},
      {"01/32/2010", DatePattern::Reading::Incomplete},
      {"01/01/0000", DatePattern::Reading::Incomplete},
      {"02/31/2010", DatePattern::Reading::NoSuchDay},
      {"02/29/2011", DatePattern::Reading::NoSuchDay},
  };
  for (const auto& c : cases) EXPECT_EQ(pattern.Read(c.text).reading, c.reading) << c.text;
}

class DateFieldTest : public ::testing::Test {
 protected:
  DateFieldTest() : field(nullptr, QLocale(QLocale::English, QLocale::UnitedStates)) {}
  void Type(const char* digits) {
    field.Editor()->clear();
    field.Editor()->setCursorPosition(0);
    QTest::keyClicks(field.Editor(), digits);
  }
  DateField field;
};

TEST_F(DateFieldTest, typedDateIsThatDayAtMidnight) {
  field.SetValue(45000.75);
  EXPECT_EQ(field.Editor()->text(), "03/15/2023");
  Type("01012010");
  EXPECT_EQ(field.Value(), 40179.0);
}

TEST_F(DateFieldTest, textNamingNoRealDayIsReportedAndKeepsTheValue) {
  ui::MessageBox::ClearShown();
  field.SetValue(45000.75);
  Type("02312010");
  EXPECT_EQ(field.Value(), 45000.75);
  ASSERT_FALSE(ui::MessageBox::Shown().empty());
  EXPECT_EQ(ui::MessageBox::Shown().back().text, "'02/31/2010' is not a valid date");
}

TEST_F(DateFieldTest, pickingADaySetsMidnightAndShowsIt) {
  field.SetValue(45000.75);
  field.ShowCalendar();
  EXPECT_EQ(field.Calendar()->firstDayOfWeek(), Qt::Sunday);
  emit field.Calendar()->clicked(QDate(2010, 1, 1));
  EXPECT_EQ(field.Value(), 40179.0);
  EXPECT_EQ(field.Editor()->text(), "01/01/2010");
}

TEST_F(DateFieldTest, pastedTextIsCheckedLikeTypedText) {
  ui::MessageBox::ClearShown();
  field.SetValue(45000.75);
  field.Editor()->clear();
  field.Editor()->setCursorPosition(0);
  QGuiApplication::clipboard()->setText("01/01/2010");
  field.Editor()->paste();
  EXPECT_EQ(field.Value(), 40179.0);

  field.Editor()->clear();
  field.Editor()->setCursorPosition(0);
  QGuiApplication::clipboard()->setText("02/31/2010");
  field.Editor()->paste();
  EXPECT_EQ(field.Value(), 40179.0);
  ASSERT_FALSE(ui::MessageBox::Shown().empty());
  EXPECT_EQ(ui::MessageBox::Shown().back().text, "'02/31/2010' is not a valid date");
}

TEST(DateOfValue, isTheDayWhateverTheTimeOfDay) {
  EXPECT_EQ(ui::DateOfValue(25569.0), QDate(1970, 1, 1));
  EXPECT_EQ(ui::DateOfValue(40179.75), QDate(2010, 1, 1));
}
