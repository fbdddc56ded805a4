#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <regex>

#include "testsupport/Files.h"
#include "testsupport/TempFolder.h"
#include "testsupport/Tolvan.h"
#include "testsupport/WebVisitor.h"
#include "util/TextLines.h"

namespace fs = std::filesystem;

TEST(TryCommand, servesThePrintedAddressUntilInterruptedThenLeavesNothingBehind) {
  const testsupport::TempFolder folder;
  const fs::path page = folder.Root() / "site" / "index.php";
  const std::string html = "<html><body><h1>Buy the book</h1></body></html>\n";
  testsupport::WriteFile(page, html);
  fs::create_directory(folder.Root() / "tmp");

  for (const int signal : {SIGTERM, SIGINT}) {
    testsupport::RunningProgram tolvan(
        testsupport::BuiltAppFolder() + "tolvan",
        {"try", "--page", page.string(), "--color", "Lime", "--text", "Only %%timeleft%% left"},
        {{"TMPDIR", folder.Path("tmp")}});
    const std::string out = tolvan.WaitForOutput("/index.php\n");
    std::smatch address;
    ASSERT_TRUE(
        std::regex_search(out, address, std::regex("http://127\\.0\\.0\\.1:[0-9]+/index\\.php")))
        << out;
    testsupport::WebVisitor visitor;
    const std::string served = visitor.Get(address.str()).body;
    EXPECT_NE(served.find("id=\"hurrex-bar\""), std::string::npos) << served;
    EXPECT_NE(served.find("#00FF00"), std::string::npos);
    EXPECT_NE(served.find("Only "), std::string::npos);

    const auto result = tolvan.Stop(signal);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_THROW(visitor.Get(address.str()), std::runtime_error) << "the server has stopped";
    EXPECT_TRUE(fs::is_empty(folder.Root() / "tmp"));
  }
  EXPECT_EQ(UUtils::ReadFileBytes(page.string()), html);
  EXPECT_EQ(std::distance(fs::directory_iterator(page.parent_path()), {}), 1);
}
