#include <gtest/gtest.h>

#include "util/Ascii.h"

namespace {

// Only A to Z change: bytes of Windows-1252 and UTF-8 letters stay as they are, whatever the
// locale would make of them.
TEST(Ascii, onlyTheLettersAToZAreLowered) {
  EXPECT_EQ(UUtils::LowerAscii("AZaz09@[`{"), "azaz09@[`{");
  EXPECT_EQ(UUtils::LowerAscii("\xC4\xD6\xDC \xC3\x84"), "\xC4\xD6\xDC \xC3\x84");
  EXPECT_TRUE(UUtils::SameIgnoringAsciiCase("Content-TYPE", "content-type"));
  EXPECT_FALSE(UUtils::SameIgnoringAsciiCase("\xC4", "\xE4"));
  EXPECT_FALSE(UUtils::SameIgnoringAsciiCase("abc", "abcd"));
}

}  // namespace
