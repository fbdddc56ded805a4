#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <regex>
#include <set>

#include "generator/GenerateScript.h"
#include "testsupport/ShippedStandIns.h"
#include "testsupport/TempFolder.h"
#include "testsupport/Tolvan.h"
#include "util/ProcessRandom.h"
#include "util/TextLines.h"

using namespace generator;

namespace fs = std::filesystem;

namespace {

const std::string kPage = "<html>\n";

std::string Read(const fs::path& path) { return UUtils::ReadFileBytes(path.string()); }

// Every file below `folder` with its bytes, the cookie name and the set-up key's digest blanked
// out: each generation draws them anew.
std::map<std::string, std::string> Package(const fs::path& folder) {
  static const std::regex cookie("hurrex[0-9]{1,3}\"");
  static const std::regex key("\\$setupkey = \"[0-9a-f]{40}\"");
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    files[entry.path().filename().string()] = std::regex_replace(
        std::regex_replace(Read(entry.path()), cookie, "hurrexK\""), key, "$$setupkey = \"K\"");
  }
  return files;
}

// What tolvan printed, with the set-up key blanked out.
std::string WithoutKey(const std::string& out) {
  static const std::regex key("key=[0-9a-f]{32} ");
  return std::regex_replace(out, key, "key=K ");
}

const std::string kSetupLine =
    "Set-up page: after uploading, open stchmod.php?key=K in the sales page's folder "
    "(phpenabler.php takes the same key).\n";

}  // namespace

// A program folder with a copy of the built tolvan and stand-ins for the
// shipped server files, and a site folder holding a sales page.
class GenerateCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app = root / "app";
    site = root / "site";
    fs::create_directories(app);
    fs::create_directories(site);
    fs::copy_file(testsupport::BuiltAppFolder() + "tolvan", app / "tolvan");
    testsupport::WriteShippedStandIns(app);
    page = site / "index.php";
    UUtils::WriteFileBytes(page.string(), kPage);
  }

  testsupport::RunResult Tolvan(const std::vector<std::string>& args) {
    return testsupport::RunProgram((app / "tolvan").string(), args);
  }

  // Runs GenerateScript in this process on a fresh page of the same content.
  fs::path GenerateHere(OfferSettings settings) {
    const auto folder = root / "here";
    fs::create_directory(folder);
    UUtils::WriteFileBytes((folder / "index.php").string(), kPage);
    settings.page = (folder / "index.php").string();
    GenerateScript(settings, app.string() + "/");
    return folder;
  }

  std::string ConfigLine(std::size_t number) {
    return UUtils::ReadLines((site / "stconfig1.php").string()).at(number - 1);
  }

  testsupport::TempFolder folder;
  const fs::path root = folder.Root();
  fs::path app, site, page;
};

TEST_F(GenerateCommandTest, defaultsWriteTheSamePackageAsTheGenerator) {
  const auto result = Tolvan({"generate", "--page", page.string()});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(WithoutKey(result.out), "Script generated in " + site.string() +
                                        "/\nPlease upload to your server.\n"
                                        "No time limit and no copy limit: the offer never closes.\n" +
                                        kSetupLine);
  EXPECT_EQ(result.err,
            "Warning: The bar text shows %%timeleft%%, but the offer has no time limit: it "
            "reads empty.\n");
  EXPECT_EQ(Package(site), Package(GenerateHere(OfferSettings{})));
  EXPECT_EQ(Package(site).size(), 11u);
}

TEST_F(GenerateCommandTest, everyOptionWritesTheSamePackageAsTheGenerator) {
  const auto result = Tolvan({"generate",    "--page=" + page.string(),
                              "--offer",     "expiry",
                              "--expiry",    "2010-01-01T06:30",
                              "--zone",      "-5",
                              "--max-sales", "10000000",
                              "--refresh",   "0",
                              "--text",      "Only \"$5\" left \\ Grüße",
                              "--position",  "bottom",
                              "--color",     "navy",
                              "--width",     "1",
                              "--height",    "0",
                              "--border",    "7",
                              "--next-page", "next.php"});
  EXPECT_EQ(result.exitCode, 0) << result.err;

  OfferSettings settings;
  settings.expiryDate = true;
  settings.expiryDateValue = 40179.0 + 6.5 / 24;
  settings.timeZone = -5;
  settings.maxNumSales = 10000000;
  settings.counterRefresh = 0;
  settings.hurrexText = "Only \"$5\" left \\ Grüße";
  settings.onTop = false;
  settings.barColor = 0x800000;
  settings.barWidth = 1;
  settings.barHeight = 0;
  settings.barBorder = 7;
  settings.redirectPage = "next.php";
  EXPECT_EQ(Package(site), Package(GenerateHere(settings)));
  // 1 January 2010 06:30 at zone -5: 1262304000 + 23400 - 18000 - 6600.
  EXPECT_EQ(ConfigLine(5), "$offerexpire = 1262302800;");
}

TEST_F(GenerateCommandTest, printsTheOfferInPlainWordsInTheSellersTime) {
  const char* zone = std::getenv("TZ");
  const std::string saved = zone ? zone : "";
  ::setenv("TZ", "XXX-1", 1);  // the seller's clock runs an hour ahead of UTC
  const auto result = Tolvan({"generate", "--page", page.string(), "--offer", "expiry", "--expiry",
                              "2099-01-01T10:00", "--zone", "2", "--max-sales", "3", "--text",
                              "%%timeleft%% minutes", "--next-page", "next.php"});
  zone ? ::setenv("TZ", saved.c_str(), 1) : ::unsetenv("TZ");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(WithoutKey(result.out),
            "Script generated in " + site.string() +
                "/\nPlease upload to your server.\n"
                "Ends Thursday 1 January 2099 at 13:00 your time, 12:00 UTC.\n"
                "Closes after 3 sales.\n"
                "Next page: next.php, for visitors once the offer has closed and for buyers sent "
                "to stthanksredirect.php.\n" +
                kSetupLine);
  EXPECT_EQ(result.err,
            "Warning: The bar text has no %%copiesleft%%: visitors do not see the copies "
            "left.\n");
}

TEST_F(GenerateCommandTest, optionsReachTheirLines) {
  const struct {
    std::vector<std::string> args;
    std::size_t line;
    std::string expected;
  } cases[] = {
      {{"--offer", "oto"}, 2, "$useoto = 1;"},
      {{"--offer", "oto"}, 5, "$offerexpire = 0;"},
      {{"--offer", "oto", "--timeout", "9"}, 3, "$timeout = 9;"},
      {{"--offer", "expiry", "--expiry", "2010-01-01", "--zone", "5"},
       5,
       "$offerexpire = 1262315400;"},
      {{"--offer=expiry", "--expiry=2010-01-01", "--zone=-5"}, 5, "$offerexpire = 1262279400;"},
      {{"--offer", "expiry", "--expiry", "2010-01-01", "--end-time", "06:30", "--zone", "-5"},
       5,
       "$offerexpire = 1262302800;"},
      {{"--color", "Silver"}, 13, "$popupbgcolor = \"#C0C0C0\";"},
      {{"--color", "#1a2B3c"}, 13, "$popupbgcolor = \"#1A2B3C\";"},
      {{"--text", ""}, 9, "$popuptext = \"\";"},
      {{"--position", "top"}, 10, "$popuptop = 1;"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"generate", "--page", page.string()};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto result = Tolvan(args);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(ConfigLine(c.line), c.expected) << c.args.back();
  }
}

TEST_F(GenerateCommandTest, expiryDefaultIsNowInLocalTime) {
  // A zone 5 hours 30 minutes east of UTC, written out so that no zone data is needed.
  ::setenv("TZ", "XYZ-05:30", 1);
  const auto result = Tolvan({"generate", "--page", page.string(), "--offer", "expiry"});
  ::unsetenv("TZ");
  ASSERT_EQ(result.exitCode, 0) << result.err;

  const std::string line = ConfigLine(5);
  const long long written = std::stoll(line.substr(line.find('=') + 2));
  const long long expected = static_cast<long long>(std::time(nullptr)) + 19800 - 6600;
  EXPECT_NEAR(static_cast<double>(written), static_cast<double>(expected), 5.0) << line;
}

TEST_F(GenerateCommandTest, badValueNamesTheOptionExits2AndWritesNothing) {
  const struct {
    std::vector<std::string> args;
    std::string option;
  } cases[] = {
      {{"--offer", "forever"}, "--offer"},
      {{"--max-sales", "-1"}, "--max-sales"},
      {{"--max-sales", "10000001"}, "--max-sales"},
      {{"--refresh", "1.5"}, "--refresh"},
      {{"--timeout", "99999999999999999999"}, "--timeout"},
      {{"--width", "0"}, "--width"},
      {{"--height", "+3"}, "--height"},
      {{"--border", ""}, "--border"},
      {{"--zone", "2h"}, "--zone"},
      {{"--offer", "expiry", "--zone", "9223372036854775807"}, "--zone"},
      {{"--expiry", "2010-02-30"}, "--expiry"},
      {{"--expiry", "2010-1-1"}, "--expiry"},
      {{"--expiry", "2010-01-01T24:00"}, "--expiry"},
      {{"--expiry", "2010-01-01 10:00"}, "--expiry"},
      {{"--position", "middle"}, "--position"},
      {{"--color", "pink"}, "--color"},
      {{"--color", "#12345"}, "--color"},
      {{"--color", "#GG0000"}, "--color"},
      {{"--text", "caf\xE9"}, "--text"},
      {{"--next-page", "\xC0\xAF"}, "--next-page"},
      {{"--width"}, "--width"},
      {{"--colour", "red"}, "--colour"},
      {{"index.php"}, "index.php"},
      {{"--database", "pgsql:host=db;dbname=shop"}, "--database"},
      {{"--database", "mysql:"}, "--database"},
      {{"--database", "mysql:host=db\n"}, "--database"},
      {{"--database-user", "seller"}, "--database-user"},
      {{"--database", "mysql:host=db", "--database-key", "two words"}, "--database-key"},
      {{"--database", "mysql:host=db", "--database-password", "hunter\x01two"},
       "--database-password"},
      {{"--output", "preview.html"}, "--output"},
  };
  const auto before = Package(site);
  for (const auto& c : cases) {
    std::vector<std::string> args{"generate", "--page", page.string()};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto result = Tolvan(args);
    EXPECT_EQ(result.exitCode, 2) << c.option;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.rfind("tolvan generate: ", 0), 0u) << result.err;
    EXPECT_NE(result.err.find(c.option), std::string::npos) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_EQ(Package(site), before) << c.option;
    EXPECT_EQ(result.err.find("hunter"), std::string::npos) << "never repeats a password";
  }
  EXPECT_EQ(Tolvan({"generate", "--offer", "oto"}).err,
            "tolvan generate: --page is required: the sales page to insert the script into\n");
}

TEST_F(GenerateCommandTest, noFileAtThePageReportsOnStderrExits1AndWritesNothing) {
  const auto before = Package(site);
  const auto result = Tolvan({"generate", "--page", (site / "missing.php").string()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "Please provide a valid page to insert the script.\n");
  EXPECT_EQ(Package(site), before);
}

TEST_F(GenerateCommandTest, fileErrorReportsOnStderrAndExits1) {
  fs::create_directory(site / "stconfig1.php");
  const auto result = Tolvan({"generate", "--page", page.string()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "tolvan generate: Cannot create file \"" + site.string() +
                            "/stconfig1.php\". Is a directory.\n");
}

TEST_F(GenerateCommandTest, shippedFilesNotCopiedAreNamedOnStderrAndExit1) {
  fs::remove(app / "script" / "stmain.php");
  fs::create_directory(site / "stthanks.php");  // no file can be written there
  const auto result = Tolvan({"generate", "--page", page.string()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out, "");
  const std::regex expected(
      "The script package in [^\n]*/site/ is incomplete, so the page was left unchanged\. Not "
      "copied:\n"
      "stmain\\.php: Cannot open file \"[^\n]*stmain\\.php\"\\. [^\n]+\n"
      "stthanks\\.php: Cannot create file \"[^\n]*stthanks\\.php\"\\. [^\n]+\n");
  EXPECT_TRUE(std::regex_match(result.err, expected)) << result.err;
  EXPECT_EQ(Read(page), kPage);
  // The others arrive.
  EXPECT_EQ(Read(site / "stiframe.php"), testsupport::ShippedStandIn("script/stiframe.php"));
}

// The place-name form: the Time Zone number that ends the offer at that time
// in that place on that day, daylight saving included.
TEST_F(GenerateCommandTest, aPlaceNameGivesTheZoneNumberForTheExpirysDate) {
  const struct {
    const char* date;
    const char* number;  // the Time Zone number, seen in the expiry
    const char* offerexpire;
  } cases[] = {
      // 18:00 in Berlin: 17:00 UTC in winter (number -1), 16:00 UTC in summer (-2).
      {"2026-01-15", "-1", "$offerexpire = 1768489800;"},
      {"2026-07-15", "-2", "$offerexpire = 1784124600;"},
  };
  for (const auto& c : cases) {
    const auto result =
        Tolvan({"generate", "--page", page.string(), "--offer", "expiry", "--expiry", c.date,
                "--end-time", "18:00", "--zone", "Europe/Berlin"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(ConfigLine(5), c.offerexpire) << c.date << ", number " << c.number;
  }
  const auto refused = Tolvan({"generate", "--page", page.string(), "--offer", "expiry", "--expiry",
                               "2026-01-15", "--end-time", "18:00", "--zone", "Asia/Kolkata"});
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_EQ(refused.err,
            "tolvan generate: --zone Asia/Kolkata cannot be used: at 18:00 on 2026-01-15, "
            "Asia/Kolkata is 5:30 hours ahead of UTC, and the Time Zone number takes whole "
            "hours only\n");
}

TEST_F(GenerateCommandTest, optionsOfAnotherKindOfOfferAreRefusedNamingTheConflict) {
  const struct {
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
      {{"--timeout", "30"},
       "--timeout conflicts with --offer limit (the default): only --offer "
       "oto uses it"},
      {{"--offer", "expiry", "--timeout", "30"},
       "--timeout conflicts with --offer expiry: only --offer oto uses it"},
      {{"--offer", "oto", "--expiry", "2030-01-01"},
       "--expiry conflicts with --offer oto: only --offer expiry uses it"},
      {{"--zone", "Europe/Berlin"},
       "--zone conflicts with --offer limit (the default): only --offer expiry uses it"},
      {{"--offer", "limit", "--zone", "3"},
       "--zone conflicts with --offer limit: only --offer expiry uses it"},
      {{"--offer", "oto", "--end-time", "18:00"},
       "--end-time conflicts with --offer oto: only --offer expiry uses it"},
      {{"--offer", "expiry", "--expiry", "2030-01-01T10:00", "--end-time", "18:00"},
       "--end-time conflicts with the time of day in --expiry: give it once"},
      {{"--offer", "expiry", "--end-time", "24:00"},
       "--end-time accepts a time of day as HH:MM, not '24:00'"},
      {{"--offer", "expiry", "--zone", "Mars/Base"},
       "--zone accepts a whole number of hours or a place such as Europe/Berlin, not "
       "'Mars/Base'"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"generate", "--page", page.string()};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto result = Tolvan(args);
    EXPECT_EQ(result.exitCode, 2) << c.error;
    EXPECT_EQ(result.err, "tolvan generate: " + c.error + "\n");
    EXPECT_EQ(Read(page), kPage) << c.error;
  }
}

TEST_F(GenerateCommandTest, helpListsEveryOption) {
  const auto result = Tolvan({"generate", "--help"});
  EXPECT_EQ(result.exitCode, 0);
  for (const char* option :
       {"--page", "--offer", "--max-sales", "--refresh", "--expiry", "--zone", "--timeout",
        "--text", "--position", "--color", "--width", "--height", "--border", "--next-page",
        "--database", "--database-user", "--database-password", "--database-key"}) {
    EXPECT_NE(result.out.find(option), std::string::npos) << option;
  }
  EXPECT_NE(result.out.find("--width N              bar width: 1 to 10000000 (default 700)"),
            std::string::npos)
      << result.out;
}

TEST_F(GenerateCommandTest, separateRunsDrawDifferentCookieNames) {
  std::set<std::string> cookies;
  for (int run = 0; run < 5; ++run) {
    ASSERT_EQ(Tolvan({"generate", "--page", page.string()}).exitCode, 0);
    cookies.insert(ConfigLine(15));
  }
  EXPECT_GT(cookies.size(), 1u);
}

TEST_F(GenerateCommandTest, databaseOptionsWriteItsSettingsAndNeverPrintThePassword) {
  const auto result = Tolvan({"generate", "--page", page.string(), "--database",
                              "mysql:host=db.example;dbname=shop", "--database-user", "seller",
                              "--database-password", "s3cr3t-pw", "--database-key", "spring"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("Database: mysql:host=db.example;dbname=shop, offer key spring. "
                            "stdatabase.php holds the password"),
            std::string::npos)
      << result.out;
  EXPECT_EQ((result.out + result.err).find("s3cr3t-pw"), std::string::npos);
  const auto package = Package(site);
  EXPECT_NE(package.at("stdatabase.php").find("    'password' => \"s3cr3t-pw\",\r\n"),
            std::string::npos);
  EXPECT_EQ(package.at("stdbstore.php"), testsupport::ShippedStandIn("script/stdbstore.php"));
}
