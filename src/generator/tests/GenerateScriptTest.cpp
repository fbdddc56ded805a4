#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <regex>

#include "generator/GenerateScript.h"
#include "generator/PageInclude.h"
#include "generator/SetupKey.h"
#include "generator/tests/PackageFixture.h"
#include "testsupport/FileSizeLimit.h"
#include "testsupport/TempFolder.h"
#include "util/AppError.h"
#include "util/ProcessRandom.h"

using namespace generator;

namespace fs = std::filesystem;

namespace {

const std::string kIncludeCrLf = std::string(kIncludeLine) + "\r\n";

// Line `number` (from 1) of the generated stconfig1.php in `folder`.
std::string ConfigLine(const fs::path& folder, std::size_t number) {
  return UUtils::ReadLines((folder / "stconfig1.php").string()).at(number - 1);
}

}  // namespace

class GenerateScriptTest : public PackageFixture {
 protected:
  void SetUp() override {
    PackageFixture::SetUp();
    page = site / "index.php";
    Write(page, "<html>\r\n");
    settings.page = page.string();
  }
  GenerateOutcome Generate() { return GenerateScript(settings, AppFolder()); }

  static bool IsRoot() { return ::geteuid() == 0; }
  static passwd* Nobody() { return ::getpwnam("nobody"); }

  static void GiveToNobody(const fs::path& file, bool asNobody) {
    if (asNobody && IsRoot()) {
      ASSERT_EQ(::chown(file.c_str(), Nobody()->pw_uid, Nobody()->pw_gid), 0);
    }
  }

  // Generates, as `nobody` when asked and the test runs as root, in a child
  // process that drops its privileges; returns the error raised, empty when none.
  std::string GenerateAs(bool asNobody) {
    const auto generate = [this]() -> std::string {
      try {
        Generate();
        return "";
      } catch (const UUtils::AppError& e) {
        return e.what();
      }
    };
    if (!asNobody || !IsRoot()) return generate();
    int pipe[2];
    if (::pipe(pipe) != 0) return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
      ::close(pipe[0]);
      const passwd* nobody = Nobody();
      if (!nobody || ::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 ||
          ::setuid(nobody->pw_uid) != 0) {
        ::_exit(10);
      }
      const std::string error = generate();
      const bool sent =
          ::write(pipe[1], error.data(), error.size()) == static_cast<ssize_t>(error.size());
      ::_exit(sent ? 0 : 11);
    }
    ::close(pipe[1]);
    std::string error;
    char buffer[4096];
    for (ssize_t got; (got = ::read(pipe[0], buffer, sizeof buffer)) > 0;)
      error.append(buffer, got);
    ::close(pipe[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    return error;
  }

  fs::path page;
  OfferSettings settings;
};

TEST_F(GenerateScriptTest, designedDefaultsWriteTheWholeConfigFileByteForByte) {
  // From state 0x12345678 the next state is 0xCB5B9059; (0xCB5B9059 * 1000) >> 32 = 794.
  UUtils::ProcessRandom::SetState(0x12345678);
  const auto outcome = Generate();

  EXPECT_EQ(outcome.status, GenerateOutcome::Status::Generated);
  EXPECT_EQ(outcome.targetFolder, site.string() + "/");
  EXPECT_EQ(outcome.message,
            "Script generated in " + site.string() + "/\r\nPlease upload to your server.");
  EXPECT_EQ(Read(site / "stconfig1.php"),
            "<?php\r\n"
            "$useoto = 0;\r\n"
            "$timeout = 0;\r\n"
            "$checkip = 0;\r\n"
            "$offerexpire = 0;\r\n"
            "$maxsales = 0;\r\n"
            "$refreshtime = 5;\r\n"
            "$page2 = \"\";\r\n"
            "$popuptext = \"Your offer will expire in %%timeleft%% minutes\";\r\n"
            "$popuptop = 1;\r\n"
            "$popupheight = 28;\r\n"
            "$popupwidth = 700;\r\n"
            "$popupbgcolor = \"#FFFF00\";\r\n"
            "$popupborder = 0;\r\n"
            "$cookiename = \"hurrex794\";\r\n"
            "$salesfile = \"stnumsales.txt\";\r\n"
            "$ipshuntname = \"stiptrack.txt\";\r\n"
            "$maxiplen = 5000;\r\n"
            "$popuppadding = 4;\r\n"
            "$popupfont = \"<FONT style='color: #000000; font-family: Arial; font-size: "
            "12pt;'>\";\r\n"
            "$setupkey = \"" +
                SetupKeyHash(outcome.setupKey) +
                "\";\r\n"
                "?>\r\n");
  EXPECT_EQ(Read(page), kIncludeCrLf + "<html>\r\n");
}

TEST_F(GenerateScriptTest, eachGenerationDrawsASetUpKeyKeptOnlyAsItsDigest) {
  EXPECT_EQ(SetupKeyHash("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
  const auto first = Generate().setupKey;
  const auto config = Read(site / "stconfig1.php");
  const auto second = Generate().setupKey;
  EXPECT_EQ(first.size(), 32u);
  EXPECT_EQ(first.find_first_not_of("0123456789abcdef"), std::string::npos) << first;
  EXPECT_NE(first, second);
  EXPECT_EQ(config.find(first), std::string::npos);
  EXPECT_NE(config.find(SetupKeyHash(first)), std::string::npos);
  EXPECT_EQ(SetupAddress(first), "stchmod.php?key=" + first);
}

TEST_F(GenerateScriptTest, offerTypeDecidesTheOfferLines) {
  const struct {
    bool oneTimeOffer, expiryDate;
    double zone;
    const char *useoto, *offerexpire;
  } cases[] = {
      {false, false, 0, "$useoto = 0;", "$offerexpire = 0;"},
      {true, false, 0, "$useoto = 1;", "$offerexpire = 0;"},
      {false, true, 0, "$useoto = 0;", "$offerexpire = 1262297400;"},
      {false, true, 5, "$useoto = 0;", "$offerexpire = 1262315400;"},
      {false, true, -5, "$useoto = 0;", "$offerexpire = 1262279400;"},
      {false, true, -5.9, "$useoto = 0;", "$offerexpire = 1262279400;"},
  };
  settings.expiryDateValue = 40179.0;  // 1 January 2010 00:00
  settings.timeOut = 30.7;
  settings.maxNumSales = 12;
  for (const auto& c : cases) {
    settings.oneTimeOffer = c.oneTimeOffer;
    settings.expiryDate = c.expiryDate;
    settings.timeZone = c.zone;
    Generate();
    EXPECT_EQ(ConfigLine(site, 2), c.useoto);
    EXPECT_EQ(ConfigLine(site, 3), "$timeout = 30;") << "written for every offer type";
    EXPECT_EQ(ConfigLine(site, 5), c.offerexpire) << c.zone;
    EXPECT_EQ(ConfigLine(site, 6), "$maxsales = 12;") << "written for every offer type";
  }
}

TEST_F(GenerateScriptTest, barSettingsGiveTheBarLines) {
  const struct {
    const char* colorName;
    std::uint32_t color;
    const char* html;
  } cases[] = {{"Yellow", 0x00FFFF, "#FFFF00"},
               {"Navy", 0x800000, "#000080"},
               {"Red", 0x0000FF, "#FF0000"},
               {"Silver", 0xC0C0C0, "#C0C0C0"}};
  settings.onTop = false;
  settings.barHeight = 40;
  settings.barWidth = 1;
  settings.barBorder = 3;
  for (const auto& c : cases) {
    settings.barColor = c.color;
    Generate();
    EXPECT_EQ(ConfigLine(site, 13), std::string("$popupbgcolor = \"") + c.html + "\";")
        << c.colorName;
  }
  EXPECT_EQ(ConfigLine(site, 10), "$popuptop = 0;");
  EXPECT_EQ(ConfigLine(site, 11), "$popupheight = 40;");
  EXPECT_EQ(ConfigLine(site, 12), "$popupwidth = 1;");
  EXPECT_EQ(ConfigLine(site, 14), "$popupborder = 3;");
}

TEST_F(GenerateScriptTest, includeLineIsPutOnTopUnlessThePageHoldsBothMarkers) {
  const std::string both = "<?php include'stconfig1.php'; include'stmain.php'; ?>";
  const struct {
    const char* name;
    std::string before, after;
  } cases[] = {
      {"both markers: bytes untouched", "x\n" + both + "\ny", "x\n" + both + "\ny"},
      {"markers anywhere, split over lines", "a include'stconfig1.php';\rb stmain.php';",
       "a include'stconfig1.php';\rb stmain.php';"},
      {"blank after include", "<?php include 'stconfig1.php'; include 'stmain.php'; ?>\r\n",
       kIncludeCrLf + "<?php include 'stconfig1.php'; include 'stmain.php'; ?>\r\n"},
      {"only the first marker", "<?php include'stconfig1.php'; ?>\r\n",
       kIncludeCrLf + "<?php include'stconfig1.php'; ?>\r\n"},
      {"only the second marker", "include'stmain.php';", kIncludeCrLf + "include'stmain.php';\r\n"},
      {"marker case differs", "INCLUDE'STCONFIG1.PHP'; stmain.php';",
       kIncludeCrLf + "INCLUDE'STCONFIG1.PHP'; stmain.php';\r\n"},
      {"empty page", "", kIncludeCrLf},
      {"byte-order mark", "\xEF\xBB\xBF<html>\r\n", kIncludeCrLf + "\xEF\xBB\xBF<html>\r\n"},
      {"lone LF, no final break", "A\nB", kIncludeCrLf + "A\r\nB\r\n"},
      {"lone CR and empty lines", "A\r\rB\r\n\r\n", kIncludeCrLf + "A\r\n\r\nB\r\n\r\n"},
  };
  for (const auto& c : cases) {
    Write(page, c.before);
    Generate();
    EXPECT_EQ(Read(page), c.after) << c.name;
  }
}

TEST_F(GenerateScriptTest, includeGoesWherePhpAllowsItAndASecondGenerationChangesNothing) {
  const std::string statements = kIncludeStatements;
  const std::string bom = "\xEF\xBB\xBF";
  const struct {
    const char* name;
    std::string before, after;
  } cases[] = {
      {"declare", "<?php declare(strict_types=1);\necho 1;\n",
       "<?php declare(strict_types=1);" + statements + "\r\necho 1;\r\n"},
      {"declares after a licence comment, any case",
       "<?PHP\n/* licence; (c) */\n// note\nDECLARE(strict_types=1);\n# more\ndeclare (ticks = 1) "
       ";\n",
       "<?PHP\r\n/* licence; (c) */\r\n// note\r\nDECLARE(strict_types=1);\r\n# more\r\n"
       "declare (ticks = 1) ;" +
           statements + "\r\n"},
      {"declare closed by ?>", "<?php declare(strict_types=1) ?>\n<html>",
       "<?php declare(strict_types=1) ;" + statements + " ?>\r\n<html>\r\n"},
      {"declare block", "<?php declare(ticks=1) {\n}\n",
       "<?php declare(ticks=1) {" + statements + "\r\n}\r\n"},
      {"namespace", "<?php\nnamespace Shop\\Sales;\nfunction f() {}\n",
       "<?php\r\nnamespace Shop\\Sales;" + statements + "\r\nfunction f() {}\r\n"},
      {"declare and a braced namespace", "<?php declare(strict_types=1);\nnamespace Shop {\n}\n",
       "<?php declare(strict_types=1);\r\nnamespace Shop {" + statements + "\r\n}\r\n"},
      {"global namespace block", "<?php namespace {\n}",
       "<?php namespace {" + statements + "\r\n}\r\n"},
      {"namespace-relative call: no statement", "<?php namespace\\f();\n",
       kIncludeCrLf + "<?php namespace\\f();\r\n"},
      {"byte-order mark and declare", bom + "<?php declare(strict_types=1);\n",
       bom + "<?php declare(strict_types=1);" + statements + "\r\n"},
      {"byte-order mark and HTML", bom + "<html>\n", kIncludeCrLf + bom + "<html>\r\n"},
      {"shebang", "#!/usr/bin/env php\n<?php echo 1;\n",
       "#!/usr/bin/env php\r\n" + kIncludeCrLf + "<?php echo 1;\r\n"},
      {"shebang and declare", "#!/usr/bin/env php\r\n<?php declare(strict_types=1);\n",
       "#!/usr/bin/env php\r\n<?php declare(strict_types=1);" + statements + "\r\n"},
      {"shebang alone", "#!/usr/bin/php", "#!/usr/bin/php\r\n" + kIncludeCrLf},
      {"plain PHP", "<?php echo 1;\n", kIncludeCrLf + "<?php echo 1;\r\n"},
      {"XML declaration", "<?xml version=\"1.0\"?>\n<html/>\n",
       kIncludeCrLf + "<?xml version=\"1.0\"?>\r\n<html/>\r\n"},
      {"attribute, not a comment", "<?php #[Attr]\ndeclare(strict_types=1);\n",
       kIncludeCrLf + "<?php #[Attr]\r\ndeclare(strict_types=1);\r\n"},
      {"unclosed comment: broken code, top", "<?php /* declare(strict_types=1);",
       kIncludeCrLf + "<?php /* declare(strict_types=1);\r\n"},
  };
  for (const auto& c : cases) {
    Write(page, c.before);
    Generate();
    EXPECT_EQ(Read(page), c.after) << c.name;
    Generate();
    EXPECT_EQ(Read(page), c.after) << c.name << ", generated again";
  }
}

// The page is read and written in pieces of 64 KiB: what spans two pieces is
// read as one.
TEST_F(GenerateScriptTest, whatSpansTwoPiecesOfThePageIsReadAsOne) {
  const std::size_t piece = 1 << 16;
  const std::string markers = "include'stconfig1.php'; include'stmain.php';";
  const struct {
    const char* name;
    std::string before, after;
  } cases[] = {
      {"markers across the boundary", std::string(piece - 10, 'x') + markers,
       std::string(piece - 10, 'x') + markers},
      {"CR LF across the boundary", std::string(piece - 1, 'x') + "\r\ny",
       kIncludeCrLf + std::string(piece - 1, 'x') + "\r\ny\r\n"},
      {"lone breaks at both ends", "\r" + std::string(2 * piece, 'x') + "\n\r",
       kIncludeCrLf + "\r\n" + std::string(2 * piece, 'x') + "\r\n\r\n"},
  };
  for (const auto& c : cases) {
    Write(page, c.before);
    Generate();
    EXPECT_TRUE(Read(page) == c.after) << c.name;  // not printed: 64 KiB each
  }
}

TEST_F(GenerateScriptTest, openingCommentsPastTheFirstMegabyteAreRefusedBeforeAnythingIsWritten) {
  const std::string before = "<?php /*" + std::string(1 << 20, ' ') + "*/ declare(strict_types=1);";
  Write(page, before);
  EXPECT_THROW(Generate(), UUtils::AppError);
  EXPECT_EQ(Snapshot(site), (std::map<std::string, std::string>{{"index.php", before}}));
}

TEST_F(GenerateScriptTest, pageWithBothMarkersIsNotRewritten) {
  Write(page, "include'stconfig1.php'; include'stmain.php';");
  const auto before = fs::last_write_time(page);
  fs::last_write_time(page, before - std::chrono::hours(24));
  Generate();
  EXPECT_EQ(fs::last_write_time(page), before - std::chrono::hours(24));
}

TEST_F(GenerateScriptTest, noFileAtThePagePathWritesNothingAnywhere) {
  const auto cwd = fs::current_path();
  fs::current_path(site);
  const auto before = Snapshot(root);
  for (const std::string& path : {std::string(), site.string(), (site / "missing.php").string(),
                                  std::string("missing.php"), site.string() + "/"}) {
    settings.page = path;
    const auto outcome = Generate();
    EXPECT_EQ(outcome.status, GenerateOutcome::Status::InvalidPage) << path;
    EXPECT_EQ(outcome.message, "Please provide a valid page to insert the script.");
    EXPECT_EQ(Snapshot(root), before) << path;
  }
  fs::current_path(cwd);
}

TEST_F(GenerateScriptTest, pagePathWithoutFolderWritesIntoTheCurrentDirectory) {
  const auto cwd = fs::current_path();
  fs::current_path(site);
  settings.page = "index.php";
  const auto outcome = Generate();
  fs::current_path(cwd);

  EXPECT_EQ(outcome.targetFolder, "");
  EXPECT_EQ(outcome.message, "Script generated in \r\nPlease upload to your server.");
  EXPECT_TRUE(fs::exists(site / "stconfig1.php"));
  EXPECT_EQ(Read(site / "stmain.php"), ShippedContent("script/stmain.php"));
}

TEST_F(GenerateScriptTest, copiesReplaceExistingFilesButTheFoldersDataFilesStay) {
  // The live state: two sales, and two visitors remembered.
  const std::string sales = "2";
  const std::string visitors =
      std::string(32, 'a') + " 001765432100\n" + std::string(32, 'b') + " 001765432199\n";
  Write(site / "stnumsales.txt", sales);
  Write(site / "stiptrack.txt", visitors);
  Write(site / "stthanksredirect.php", "old");
  Generate();
  settings.barColor = 0x800000;  // the colour changed mid-campaign
  Generate();

  std::map<std::string, std::string> expected = {
      {"index.php", kIncludeCrLf + "<html>\r\n"},
      {"stconfig1.php", Read(site / "stconfig1.php")},
  };
  for (const std::string file : kShippedFiles) {
    expected[fs::path(file).filename().string()] = ShippedContent(file);
  }
  expected["stnumsales.txt"] = sales;
  expected["stiptrack.txt"] = visitors;
  EXPECT_EQ(Snapshot(site), expected);

  // A folder without them gets the starting files.
  fs::remove(site / "stnumsales.txt");
  Generate();
  EXPECT_EQ(Read(site / "stnumsales.txt"), ShippedContent("script/stnumsales.txt"));
  EXPECT_EQ(Read(site / "stiptrack.txt"), visitors);
}

TEST_F(GenerateScriptTest, aShippedFileNotCopiedIsListedAndThePageStaysAsItWas) {
  fs::remove_all(app / "script");
  const auto outcome = Generate();
  EXPECT_EQ(outcome.status, GenerateOutcome::Status::Incomplete);
  EXPECT_EQ(Read(page), "<html>\r\n");
  EXPECT_EQ(Snapshot(site).size(), 3u) << "stconfig1.php and the one copy that could be made";
  EXPECT_EQ(Read(site / "stthanksredirect.php"), ShippedContent("stthanksredirect.php"));
  std::vector<std::string> skipped;
  for (const auto& copy : outcome.skipped) {
    skipped.push_back(copy.file);
    EXPECT_EQ(copy.reason.rfind("Cannot open file \"" + (app / "script" / copy.file).string(), 0),
              0u)
        << copy.reason;
    EXPECT_NE(outcome.message.find("\r\n" + copy.file + ": " + copy.reason), std::string::npos)
        << outcome.message;
  }
  EXPECT_EQ(skipped, (std::vector<std::string>{"phpenabler.php", "stchmod.php", "stiframe.php",
                                               "stiptrack.txt", "stmain.php", "stnumsales.txt",
                                               "stserver.php", "stthanks.php"}));
  EXPECT_EQ(outcome.message.rfind("The script package in " + site.string() +
                                      "/ is incomplete, so the page was left unchanged.",
                                  0),
            0u)
      << outcome.message;

  // A target that cannot be replaced (a folder of that name) is not copied either.
  testsupport::WriteShippedStandIns(app);
  fs::create_directory(site / "stmain.php");
  const auto second = Generate();
  EXPECT_EQ(second.status, GenerateOutcome::Status::Incomplete);
  ASSERT_EQ(second.skipped.size(), 1u);
  EXPECT_EQ(second.skipped[0].reason,
            "Cannot create file \"" + (site / "stmain.php").string() + "\". Is a directory.");
  EXPECT_EQ(Read(page), "<html>\r\n");
}

TEST_F(GenerateScriptTest, unreadablePageRaisesCannotOpenAndWritesNothing) {
  // Reading process memory at address 0 fails, for root as well.
  settings.page = "/proc/self/mem";
  try {
    Generate();
    FAIL();
  } catch (const UUtils::AppError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open file \"/proc/self/mem\". Input/output error.");
  }
}

TEST_F(GenerateScriptTest, aFolderThatTakesNoConfigLeavesThePageByteForByte) {
  const std::string before = "<html>\n<body>\r\n";
  struct Case {
    const char* name;
    std::function<void()> block;
    bool asNobody;  // root writes into read-only folders anyway
  };
  const Case cases[] = {
      {"only stconfig1.php blocked", [&] { fs::create_directory(site / "stconfig1.php"); }, false},
      {"a read-only folder",
       [&] {
         fs::permissions(root,
                         fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
         fs::permissions(site, fs::perms::owner_read | fs::perms::owner_exec |
                                   fs::perms::others_read | fs::perms::others_exec);
       },
       true},
  };
  for (const auto& c : cases) {
    fs::permissions(site, fs::perms::owner_all);
    fs::remove_all(site / "stconfig1.php");
    Write(page, before);
    c.block();
    // The page itself may be written, so only the folder stands in the way.
    GiveToNobody(page, c.asNobody);
    const std::string error = GenerateAs(c.asNobody);
    EXPECT_EQ(error, "Cannot create file \"" + (site / "stconfig1.php").string() + "\". " +
                         (c.asNobody ? "Permission denied." : "Is a directory."))
        << c.name;
    EXPECT_EQ(Read(page), before) << c.name;
    EXPECT_EQ(Snapshot(site).size(), c.asNobody ? 1u : 2u) << c.name << ": no copies";
  }
  fs::permissions(site, fs::perms::owner_all);
}

TEST_F(GenerateScriptTest, failedPageWriteRaisesCannotCreateAndKeepsThePageWhole) {
  // The page is the one file too big for the limit.
  const std::string before = "<html>" + std::string(8000, 'x') + "\r\n";
  Write(page, before);
  {
    const testsupport::FileSizeLimit limit(before.size() + 8);
    try {
      Generate();
      ADD_FAILURE();
    } catch (const UUtils::AppError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("Cannot create file \"" + page.string() + "\". ", 0),
                0u)
          << e.what();
    }
  }
  EXPECT_EQ(Read(page), before);
  EXPECT_EQ(Snapshot(site).size(), 11u) << "the package is there, the include is not";
}

TEST_F(GenerateScriptTest, whatCannotBeWrittenRaisesAppErrorBeforeAnyFileIsTouched) {
  const struct {
    const char* name;
    std::string page;
    double barWidth;
  } cases[] = {
      {"page with a NUL byte", std::string("<html>\0<body>\r\n", 16), 700},
      {"number beyond 64 bits", "<html>\r\n", 1e30},
  };
  for (const auto& c : cases) {
    Write(page, c.page);
    settings.barWidth = c.barWidth;
    EXPECT_THROW(Generate(), UUtils::AppError) << c.name;
    EXPECT_EQ(Snapshot(site), (std::map<std::string, std::string>{{"index.php", c.page}}))
        << c.name;
  }
}

TEST_F(GenerateScriptTest, pageNamedLikeAPackageFileIsRefusedBeforeAnythingIsWritten) {
  for (const char* name :
       {"stconfig1.php", "stmain.php", "stthanksredirect.php", "stdatabase.php", "stdbstore.php"}) {
    const auto namesake = site / name;
    Write(namesake, "<html>my sales page</html>");
    const auto before = Snapshot(root);
    settings.page = namesake.string();
    EXPECT_THROW(Generate(), UUtils::AppError) << name;
    EXPECT_EQ(Snapshot(root), before) << name;
    fs::remove(namesake);
  }
}

TEST_F(GenerateScriptTest, aDatabaseAddsItsSettingsForTheOwnerAloneAndKeepsTheOffersKey) {
  const DatabaseSettings database{"mysql:host=db.example;dbname=shop", "seller", "pa$$", ""};
  const auto outcome = GenerateScript(settings, AppFolder(), database);
  EXPECT_TRUE(std::regex_match(outcome.databaseKey, std::regex("offer-[0-9a-f]{12}")))
      << outcome.databaseKey;
  const auto files = Snapshot(site);
  EXPECT_EQ(files.at("stdbstore.php"), ShippedContent("script/stdbstore.php"));
  EXPECT_EQ(files.size(), 13u);
  const std::string written = files.at("stdatabase.php");
  EXPECT_NE(written.find("    'key' => \"" + outcome.databaseKey + "\",\r\n"), std::string::npos)
      << written;
  struct stat info {};
  ASSERT_EQ(::stat((site / "stdatabase.php").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  // Generated again, the offer keeps its key (and so its figures); a key given is used.
  EXPECT_EQ(GenerateScript(settings, AppFolder(), database).databaseKey, outcome.databaseKey);
  EXPECT_EQ(Read(site / "stdatabase.php"), written);
  auto named = database;
  named.key = "spring-sale.2";
  EXPECT_EQ(GenerateScript(settings, AppFolder(), named).databaseKey, "spring-sale.2");
  EXPECT_EQ(GenerateScript(settings, AppFolder(), database).databaseKey, "spring-sale.2");

  // Without a database the settings stay as they are: the package on the server keeps using it.
  Generate();
  EXPECT_EQ(KeyOfDatabaseFile((site / "stdatabase.php").string()), "spring-sale.2");
}
