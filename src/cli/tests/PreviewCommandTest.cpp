#include <gtest/gtest.h>

#include <filesystem>

#include "preview/PreviewPage.h"
#include "testsupport/TempFolder.h"
#include "testsupport/Tolvan.h"
#include "util/TextLines.h"

using testsupport::RunTolvan;

namespace {

class PreviewCommandTest : public ::testing::Test {
 protected:
  testsupport::TempFolder folder;
  const std::string output = folder.Path("preview.html");
};

}  // namespace

// The options of generate, --page and the database's among them though the
// preview needs none, give the page the window writes for the same settings.
TEST_F(PreviewCommandTest, writesThePreviewOfTheGenerateOptions) {
  const std::string text = "<b>%%timeleft%%</b> minutes, %%copiesleft%% copies \"$5\"";
  const auto result = RunTolvan({"preview",
                                 "--page",
                                 "/nowhere/index.php",
                                 "--database",
                                 "mysql:host=db;dbname=shop",
                                 "--output=" + output,
                                 "--offer",
                                 "oto",
                                 "--timeout",
                                 "15",
                                 "--max-sales",
                                 "7",
                                 "--color",
                                 "navy",
                                 "--position",
                                 "bottom",
                                 "--height",
                                 "40",
                                 "--text",
                                 text});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "Preview written to " + output + "\n");
  EXPECT_EQ(result.err, "");

  generator::OfferSettings settings;
  settings.oneTimeOffer = true;
  settings.timeOut = 15;
  settings.maxNumSales = 7;
  settings.barColor = 0x800000;
  settings.onTop = false;
  settings.barHeight = 40;
  settings.hurrexText = text;
  // A one-time offer starts at the visitor's first view, whenever that is.
  EXPECT_EQ(UUtils::ReadFileBytes(output), preview::PreviewPage(settings, 0));
}

TEST_F(PreviewCommandTest, badOptionsNameTheOptionExit2AndWriteNothing) {
  const struct {
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
      {{}, "--output is required"},
      {{"--offer", "oto"}, "--output is required"},
      {{"--output"}, "--output needs a value; run 'tolvan preview --help'"},
      {{"--output", output, "--width", "0"}, "--width accepts a whole number from 1"},
      {{"--output", output, "--colour", "red"}, "unknown option '--colour'"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"preview"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto result = RunTolvan(args);
    EXPECT_EQ(result.exitCode, 2) << c.error;
    EXPECT_EQ(result.err.rfind("tolvan preview: " + c.error, 0), 0u) << result.err;
    EXPECT_FALSE(std::filesystem::exists(output)) << c.error;
  }
  const auto help = RunTolvan({"preview", "--help"});
  EXPECT_EQ(help.exitCode, 0);
  for (const char* option : {"--output FILE", "--page PATH", "--offer TYPE", "--max-sales N"}) {
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  }
}

TEST_F(PreviewCommandTest, aPageThatCannotBeWrittenExits1) {
  std::filesystem::create_directory(output);
  const auto result = RunTolvan({"preview", "--output", output, "--force"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err.rfind("tolvan preview: Cannot create file \"" + output + "\"", 0), 0u)
      << result.err;
}

TEST_F(PreviewCommandTest, replacesOnlyAPreviewItWroteUnlessForced) {
  const std::string page = "<html><body>The seller's own page</body></html>\n";
  UUtils::WriteFileBytes(output, page);
  const auto refused = RunTolvan({"preview", "--output", output});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(refused.err, "tolvan preview: " + output +
                             " exists and is no preview; it was left as it is. Give --force to "
                             "replace it.\n");
  EXPECT_EQ(UUtils::ReadFileBytes(output), page);

  EXPECT_EQ(RunTolvan({"preview", "--output", output, "--force"}).exitCode, 0);
  const std::string forced = UUtils::ReadFileBytes(output);
  EXPECT_TRUE(preview::IsPreviewFile(output));
  // A preview is replaced by the next one without asking.
  const auto again = RunTolvan({"preview", "--output", output, "--color", "navy"});
  EXPECT_EQ(again.exitCode, 0) << again.err;
  EXPECT_NE(UUtils::ReadFileBytes(output), forced);
}
