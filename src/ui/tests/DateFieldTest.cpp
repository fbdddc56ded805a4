#include <gtest/gtest.h>

#include <QApplication>
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

TEST(DateFieldTyping, eachKeyGoesToItsPartAndTheTextShowsTheValueOnceLeft) {
  // The C locale shows the month by name: "15 Mar 2023".
  const struct {
    const char* what;
    int start, length;  // the selection typed over
    const char* keys;
    const char* text;   // the text once the field is left
    QDate date;
  } cases[] = {
      {"two digits over the day", 0, 2, "07", "07 Mar 2023", {2023, 3, 7}},
      {"digits run on through the month into the year", 0, 2, "07031999", "07 Mar 1999",
       {1999, 3, 7}},
      {"a one-digit day ended by a separator", 0, 11, "1 4 2010", "01 Apr 2010", {2010, 4, 1}},
      {"a name over the month", 3, 3, "Dec", "15 Dec 2023", {2023, 12, 15}},
      {"a name typed in small letters", 3, 3, "may", "15 May 2023", {2023, 5, 15}},
      {"one letter picks the first month it starts", 3, 3, "J", "15 Jan 2023", {2023, 1, 15}},
      {"letters narrow it down", 3, 3, "Jul", "15 Jul 2023", {2023, 7, 15}},
      {"a number over the month", 3, 3, "12", "15 Dec 2023", {2023, 12, 15}},
      {"a one-digit number over the month", 3, 3, "9", "15 Sep 2023", {2023, 9, 15}},
      {"a letter no month starts with", 3, 3, "q", "15 Mar 2023", {2023, 3, 15}},
      {"the whole date typed over, separators and all", 0, 11, "01 Jan 2010", "01 Jan 2010",
       {2010, 1, 1}},
      {"the whole date typed without separators", 0, 11, "01jan2010", "01 Jan 2010",
       {2010, 1, 1}},
      {"digits over the month then the year", 3, 3, "022024", "15 Feb 2024", {2024, 2, 15}},
      {"half a day is dropped", 0, 2, "4", "15 Mar 2023", {2023, 3, 15}},
      {"half a year is dropped", 7, 4, "20", "15 Mar 2023", {2023, 3, 15}},
      {"one digit inside the day", 1, 1, "9", "19 Mar 2023", {2023, 3, 19}},
  };
  QWidget window;
  auto* field = new ui::DateField(&window, QLocale::c());
  auto* other = new QLineEdit(&window);
  other->move(0, 40);
  window.show();
  QApplication::setActiveWindow(&window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  for (const auto& c : cases) {
    field->SetValue(45000.0);  // 15 March 2023
    field->Editor()->setFocus();
    field->Editor()->setSelection(c.start, c.length);
    QTest::keyClicks(field->Editor(), c.keys);
    other->setFocus();
    EXPECT_EQ(field->Editor()->text().toStdString(), c.text) << c.what;
    EXPECT_EQ(ui::DateOfValue(field->Value()), c.date) << c.what;
  }
}

TEST(DateFieldTyping, digitsOverANumericPartStayInItsPlace) {
  const QLocale us(QLocale::English, QLocale::UnitedStates);  // "03/15/2023"
  const struct {
    int start, length;
    const char* keys;
    const char* text;
  } cases[] = {
      {0, 2, "12", "12/15/2023"},  {3, 2, "4", "03/15/2023"},  {3, 2, "4/", "03/04/2023"},
      {0, 10, "1/2/2010", "01/02/2010"}, {6, 4, "1999", "03/15/1999"},
  };
  for (const auto& c : cases) {
    ui::DateField field(nullptr, us);
    field.SetValue(45000.0);
    field.Editor()->setSelection(c.start, c.length);
    QTest::keyClicks(field.Editor(), c.keys);
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(field.Editor(), &leave);
    EXPECT_EQ(field.Editor()->text().toStdString(), c.text) << c.keys;
    EXPECT_EQ(field.Editor()->text(), us.toString(ui::DateOfValue(field.Value()), "MM/dd/yyyy"));
  }
}

TEST(DateFieldTyping, aDayTheMonthDoesNotHaveIsReportedAndTheTextShowsTheValue) {
  ui::MessageBox::ClearShown();
  ui::DateField field(nullptr, QLocale::c());
  field.SetValue(45000.0);
  field.Editor()->setSelection(0, 2);
  QTest::keyClicks(field.Editor(), "31");  // 31 March
  field.Editor()->setSelection(3, 3);
  QTest::keyClicks(field.Editor(), "Apr");
  ASSERT_FALSE(ui::MessageBox::Shown().empty());
  EXPECT_EQ(ui::MessageBox::Shown().back().text, "'31 Apr 2023' is not a valid date");
  EXPECT_EQ(ui::DateOfValue(field.Value()), QDate(2023, 3, 31));
  EXPECT_EQ(field.Editor()->text(), "31 Mar 2023");
}
