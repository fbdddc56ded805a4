#include <gtest/gtest.h>

#include <map>

#include "generator/GenerateScript.h"
#include "testsupport/Files.h"
#include "testsupport/TempFolder.h"
#include "testsupport/Tolvan.h"
#include "testsupport/WebVisitor.h"
#include "trial/Trial.h"
#include "util/AppError.h"
#include "util/TextLines.h"

namespace fs = std::filesystem;

using testsupport::WebVisitor;
using testsupport::WriteFile;
using trial::Trial;

namespace {

// The seller's folder: a sales page, a thank-you page and a picture in a folder of its own; and
// a temporary folder for the tries.
class TrialTest : public ::testing::Test {
 protected:
  TrialTest() {
    WriteFile(Site() / "index.php",
              "<!DOCTYPE html>\n<html><body><h1>Buy the book</h1></body></html>\n");
    WriteFile(Site() / "thanks.php",
              "<?php include 'stthanks.php'; ?><html><body>Thank you</body></html>\n");
    WriteFile(Site() / "images" / "cover.txt", "cover");
    fs::create_directory(Temp());
    settings.page = (Site() / "index.php").string();
  }

  fs::path Site() const { return folder.Root() / "site"; }
  fs::path Temp() const { return folder.Root() / "tmp"; }

  // Every file under `root` with its bytes.
  static std::map<std::string, std::string> Snapshot(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
      files[entry.path().string()] =
          entry.is_regular_file() ? UUtils::ReadFileBytes(entry.path().string()) : "(folder)";
    }
    return files;
  }

  testsupport::TempFolder folder;
  generator::OfferSettings settings;
  const std::string php = trial::FindPhp();
  const std::string app = testsupport::BuiltAppFolder();
};

}  // namespace

TEST_F(TrialTest, servesThePageWithItsBarFromACopyThatCountsTheSalesAndGoesWithTheServer) {
  ASSERT_FALSE(php.empty());
  const auto before = Snapshot(Site());
  std::string address;
  fs::path copy;
  {
    Trial trial(settings, app, php, Temp());
    address = trial.Address();
    copy = trial.Site();
    EXPECT_EQ(address, "http://127.0.0.1:" + std::to_string(trial.Port()) + "/index.php");
    WebVisitor visitor;
    const auto page = visitor.Get(address);
    EXPECT_EQ(page.status, 200);
    EXPECT_NE(page.body.find("id=\"hurrex-bar\""), std::string::npos) << page.body;
    EXPECT_NE(page.body.find("<h1>Buy the book</h1>"), std::string::npos);
    EXPECT_EQ(visitor.Get(address.substr(0, address.rfind('/')) + "/images/cover.txt").body,
              "cover");
    EXPECT_EQ(visitor.Get(address.substr(0, address.rfind('/')) + "/thanks.php").status, 200);
    // The package keeps the live count in a file of its own.
    EXPECT_EQ(UUtils::ReadFileBytes((copy / "stcount.php").string()), "<?php exit; ?>\n1");
    EXPECT_TRUE(trial.Serving());
  }
  EXPECT_FALSE(fs::exists(copy));
  EXPECT_TRUE(fs::is_empty(Temp()));
  EXPECT_THROW(WebVisitor().Get(address), std::runtime_error) << "the port is free";
  EXPECT_EQ(Snapshot(Site()), before);
}

// The generator writes through links to files; a copy of a link would lead its writes back into
// the seller's files.
TEST_F(TrialTest, linksInTheSellersFolderLeadNoWriteOutOfTheCopy) {
  ASSERT_FALSE(php.empty());
  WriteFile(folder.Root() / "pages" / "sales.php", "<html><body>Sales</body></html>\n");
  WriteFile(folder.Root() / "pages" / "stconfig1.php", "<?php $old = 1; ?>");
  fs::create_directory(folder.Root() / "assets");
  fs::remove(Site() / "index.php");
  fs::create_symlink("../pages/sales.php", Site() / "index.php");
  fs::create_symlink("../pages/stconfig1.php", Site() / "stconfig1.php");
  fs::create_directory_symlink(".", Site() / "here");
  fs::create_directory_symlink(folder.Root() / "assets", Site() / "shared");
  fs::create_directory(Site() / "tmp");  // the tries' place within the seller's folder
  const auto outside = Snapshot(folder.Root() / "pages");

  Trial trial(settings, app, php, Site() / "tmp");
  EXPECT_NE(WebVisitor().Get(trial.Address()).body.find("hurrex-bar"), std::string::npos);
  EXPECT_EQ(Snapshot(folder.Root() / "pages"), outside);
  EXPECT_FALSE(fs::is_symlink(trial.Site() / "index.php"));
  EXPECT_FALSE(fs::is_symlink(trial.Site() / "stconfig1.php"));
  EXPECT_EQ(fs::read_symlink(trial.Site() / "here"), trial.Site());
  EXPECT_EQ(fs::read_symlink(trial.Site() / "shared"), fs::canonical(folder.Root() / "assets"));
  EXPECT_TRUE(fs::is_empty(trial.Site() / "tmp")) << "the copy holds no copy of itself";
}

TEST_F(TrialTest, aTryThatCannotStartSaysWhyAndLeavesNothingBehind) {
  WriteFile(Site() / "stmain.php", "<html></html>");
  const fs::path noPackage = folder.Root() / "bare";
  fs::create_directory(noPackage);
  struct Case {
    const char* what;
    std::string page, appFolder, php, says;
  };
  const Case cases[] = {
      {"no page", (Site() / "none.php").string(), app, php, generator::kInvalidPageMessage},
      {"a page the package would overwrite", (Site() / "stmain.php").string(), app, php,
       "would overwrite the page"},
      {"no package to copy", settings.page, noPackage.string() + "/", php, "was not copied"},
      {"no server", settings.page, app, "/bin/false", "did not start"},
  };
  const auto before = Snapshot(Site());
  for (const auto& c : cases) {
    settings.page = c.page;
    try {
      Trial trial(settings, c.appFolder, c.php, Temp());
      ADD_FAILURE() << c.what << ": started";
    } catch (const UUtils::AppError& error) {
      EXPECT_NE(std::string(error.what()).find(c.says), std::string::npos)
          << c.what << ": " << error.what();
    }
    EXPECT_TRUE(fs::is_empty(Temp())) << c.what;
  }
  EXPECT_EQ(Snapshot(Site()), before);
}
