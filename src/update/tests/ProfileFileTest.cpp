#include <gtest/gtest.h>

#include "testsupport/TempFolder.h"
#include "update/ProfileFile.h"
#include "util/TextLines.h"

namespace {

TEST(ProfileString, findsValuesAsTheWindowsProfileFunctionsDo) {
  const struct {
    const char* text;
    const char* value;
  } cases[] = {
      {"[APPLICATION]\r\nName=Tolvan\r\nVersion=2.02\r\n", "2.02"},
      {"[application]\nversion=2.02", "2.02"},
      {"  [ Application ]  \r  VERSION  =  2.02  \r", "2.02"},
      {"[APPLICATION]\nVersion=\"2.02\"", "2.02"},
      {"[APPLICATION]\nVersion='2.02'", "2.02"},
      {"[APPLICATION]\nVersion=\"2.02", "\"2.02"},
      {"[APPLICATION]\nVersion=2.02\nVersion=3", "2.02"},
      {"[APPLICATION]\nVersion=2.02\n[APPLICATION]\nVersion=3", "2.02"},
      {"[APPLICATION]\nName=x\n[Application]\nVersion=3", "(none)"},
      {"[OTHER]\nVersion=3\n[APPLICATION]\nVersion=2.02", "2.02"},
      {"Version=3\n[APPLICATION]", "(none)"},
      {"[APPLICATION]\n[OTHER]\nVersion=3", "(none)"},
      {"[APPLICATION]\nVersion", "(none)"},
      {"[APPLICATION]\nVersion=", ""},
      {"[APPLICATION]\n;Version=3\nVersion=2.02", "2.02"},
      {"[APPLICATION]\nVersion=a=b", "a=b"},
      {"\xEF\xBB\xBF[APPLICATION]\nVersion=2.02", "2.02"},
      {"", "(none)"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(update::ProfileString(c.text, "APPLICATION", "Version", "(none)"), c.value) << c.text;
  }
}

TEST(ReadProfileString, aMissingFileGivesTheFallback) {
  testsupport::TempFolder folder;
  EXPECT_EQ(update::ReadProfileString(folder.Path("none.inf"), "A", "B", "fallback"), "fallback");
  UUtils::WriteFileBytes(folder.Path("a.inf"), "[a]\nb=value\n");
  EXPECT_EQ(update::ReadProfileString(folder.Path("a.inf"), "A", "B", "fallback"), "value");
}

}  // namespace
