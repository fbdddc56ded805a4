#include <gtest/gtest.h>

#include <cstdio>

#include "generator/DatabaseFile.h"
#include "generator/GenerateScript.h"
#include "generator/tests/PackageFixture.h"

using namespace generator;

namespace fs = std::filesystem;

namespace {

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 0xF];
  }
  return hex;
}

// Runs `command` and returns its standard output; fails the test on a non-zero exit.
std::string RunCommand(const std::string& command) {
  std::FILE* pipe = ::popen(command.c_str(), "r");
  std::string output;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    output.append(buffer, got);
  }
  EXPECT_EQ(::pclose(pipe), 0) << command << "\n" << output;
  return output;
}

}  // namespace

class PhpReadBackTest : public PackageFixture {};

// The server scripts include stconfig1.php; whatever the seller typed must reach
// them unchanged and must never break the file.
TEST_F(PhpReadBackTest, typedTextsReadBackExactlyInPhp) {
  const std::string cases[] = {
      "",
      "say \"hi\" to \"everyone\"",
      "C:\\sites\\new\\",
      "trailing backslash \\",
      "\\\"",
      "costs $19 for $name",
      "{$x} and ${x} and $x[0] and $x->y",
      "ends here ?> <?php echo 1; ?>",
      "single 'quotes' stay",
      "escapes \\n \\t \\x41 \\u{41} \\101 \\e are text",
      "%%timeleft%% left, %%copiesleft%% copies",
      "Grüße – 日本語 – 🙂",
      "two\nlines\r\nand a lone\rreturn",
  };
  const fs::path page = site / "index.php";
  const fs::path reader = root / "read.php";
  Write(reader,
        "<?php include $argv[1]; echo bin2hex($page2), \"\\n\", bin2hex($popuptext), \"\\n\";");

  OfferSettings settings;
  settings.page = page.string();
  for (const auto& text : cases) {
    Write(page, "<html>");
    settings.redirectPage = text;
    settings.hurrexText = "bar: " + text;
    GenerateScript(settings, AppFolder());

    const std::string config = (site / "stconfig1.php").string();
    EXPECT_EQ(UUtils::ReadLines(config).size(), 22u) << text;
    EXPECT_EQ(RunCommand("php -n -d display_errors=stderr " + reader.string() + " " + config),
              Hex(text) + "\n" + Hex("bar: " + text) + "\n")
        << text;
  }
}

// The database settings as the package includes them, whatever they hold; the file itself,
// requested as a page, answers with nothing.
TEST_F(PhpReadBackTest, databaseSettingsReadBackExactlyInPhp) {
  const DatabaseSettings database{"mysql:host=127.0.0.1;port=3306;dbname=sh\"op$x", "o'brien \\",
                                  "?> <?php $pass \" ' \\ {$x} Grüße", "k.1"};
  const fs::path file = site / "stdatabase.php";
  UUtils::WriteLines(file.string(), DatabaseFileLines(database));
  const fs::path reader = root / "read.php";
  Write(
      reader,
      "<?php $s = include $argv[1]; foreach ($s as $k => $v) echo $k, '=', bin2hex($v), \"\\n\";");
  EXPECT_EQ(RunCommand("php -n -d display_errors=stderr " + reader.string() + " " + file.string()),
            "dsn=" + Hex(database.dsn) + "\nuser=" + Hex(database.user) +
                "\npassword=" + Hex(database.password) + "\nkey=" + Hex(database.key) + "\n");
  EXPECT_EQ(RunCommand("php -n -d display_errors=stderr " + file.string()), "");
}
