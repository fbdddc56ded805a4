#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include "testsupport/Retype.h"
#include "ui/SpinEdit.h"

using ui::SpinEdit;

namespace {

struct Typing {
  const char* what;
  bool bounded;
  double minimum, maximum, start;
  const char* typed;  // replaces the whole text
  double value;
  const char* text;
};

void Retype(SpinEdit& spin, const char* typed) {
  testsupport::Retype(&spin, QString::fromUtf8(typed));
}

}  // namespace

TEST(SpinEdit, typedTextSetsTheValueWithinTheRange) {
  const Typing cases[] = {
      {"above the range is pulled down", true, 0, 10000000, 0, "20000000", 10000000, "10000000"},
      {"below the range is pulled up", true, 1, 10000000, 700, "0", 1, "1"},
      {"negative in a range from 0", true, 0, 10000000, 0, "-3", 0, "0"},
      {"negative without bounds", false, 0, 0, 0, "-3", -3, "-3"},
      {"empty keeps the last value", true, 0, 10000000, 5, "", 5, ""},
      {"lone minus keeps the last value", true, 0, 10000000, 5, "-", 5, "-"},
      {"letters are refused", true, 0, 10000000, 5, "1a2", 12, "12"},
      {"past 64 bits without bounds", false, 0, 0, 0, "99999999999999999999", 9.2e18,
       "9200000000000000000"},
  };
  for (const auto& c : cases) {
    SpinEdit spin;
    if (c.bounded) spin.SetRange(c.minimum, c.maximum);
    spin.SetValue(c.start);
    Retype(spin, c.typed);
    EXPECT_EQ(spin.Value(), c.value) << c.what;
    EXPECT_EQ(spin.text().toStdString(), c.text) << c.what;
  }
}

TEST(SpinEdit, arrowsAndButtonsStepByOneWithinTheRange) {
  SpinEdit spin;
  spin.SetRange(0, 2);
  spin.SetValue(1);
  QTest::keyClick(&spin, Qt::Key_Up);
  EXPECT_EQ(spin.Value(), 2);
  QTest::keyClick(&spin, Qt::Key_Up);
  EXPECT_EQ(spin.Value(), 2);
  spin.stepBy(-1);
  spin.stepBy(-1);
  QTest::keyClick(&spin, Qt::Key_Down);
  EXPECT_EQ(spin.Value(), 0);
  EXPECT_EQ(spin.text(), "0");
}

TEST(SpinEdit, leavingTheFieldShowsTheValueInForce) {
  SpinEdit spin;
  spin.SetRange(0, 100);
  spin.SetValue(5);
  Retype(spin, "");
  emit spin.editingFinished();
  EXPECT_EQ(spin.text(), "5");
}
