#include <gtest/gtest.h>

#include <map>
#include <string>

#include "generator/ConfigFile.h"
#include "generator/PackageContract.h"

using namespace generator;

// The package reads each setting by its name and falls back to its default for one that is
// missing, so a name written wrong would go unnoticed on the server: every line must set a name
// the package reads, each once, and together they must set all of them.
TEST(ConfigLines, setEveryNameThePackageReadsOnceAndNoOther) {
  OfferSettings settings;
  settings.page = "/tmp/page.html";
  const UUtils::StringList lines = ConfigLines(settings, 7, "digest");
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines.front(), "<?php");
  EXPECT_EQ(lines.back(), "?>");

  std::map<std::string, int> written;
  for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
    const std::string& line = lines[i];
    ASSERT_EQ(line.front(), '$') << line;
    written[line.substr(1, line.find(" = ") - 1)]++;
  }
  std::map<std::string, int> expected{{"setupkey", 1}};
  for (const ConfigNumber& number : kConfigNumbers) expected[std::string(number.name)] = 1;
  for (const ConfigText& text : kConfigTexts) expected[std::string(text.name)] = 1;
  EXPECT_EQ(written, expected);
}

// What the tool writes for the panel's defaults lies within what the package takes.
TEST(ConfigLines, writeTheDefaultsWithinThePackagesRanges) {
  OfferSettings settings;
  const UUtils::StringList lines = ConfigLines(settings, 7, "digest");
  for (const ConfigNumber& number : kConfigNumbers) {
    const std::string prefix = "$" + std::string(number.name) + " = ";
    for (const std::string& line : lines) {
      if (line.rfind(prefix, 0) != 0) continue;
      const long long value = std::stoll(line.substr(prefix.size()));
      EXPECT_GE(value, number.least) << line;
      EXPECT_LE(value, number.most) << line;
    }
  }
}
