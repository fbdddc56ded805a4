#include <gtest/gtest.h>

#include "util/SplitString.h"

using UUtils::SplitString;
using UUtils::StringList;

TEST(SplitString, piecesFollowTheSeparatorRules) {
  const struct {
    std::string text;
    StringList expected;
  } cases[] = {
      {"", {}},      {"a", {"a"}},      {"a^b", {"a", "b"}},
      {"a^", {"a"}}, {"^a", {"", "a"}}, {"a^^b", {"a", "", "b"}},
      {"^", {""}},   {"^^", {"", ""}},
  };
  for (const auto& c : cases) {
    StringList list{"stale"};
    SplitString('^', c.text, list);
    EXPECT_EQ(list, c.expected) << "text: " << c.text;
  }
}

TEST(SplitString, worksWithHighByteSeparator) {
  StringList list;
  SplitString('\xAF',
              "1\xAF"
              "two\xAF",
              list);
  EXPECT_EQ(list, (StringList{"1", "two"}));
}
