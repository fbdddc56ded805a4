#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "testsupport/FileSizeLimit.h"
#include "testsupport/TempFolder.h"
#include "util/AppError.h"
#include "util/TextLines.h"

using namespace UUtils;
namespace fs = std::filesystem;

TEST(TextLines, splitFollowsTheLineBreakRules) {
  const struct {
    std::string text;
    StringList expected;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\rb\nc", {"a", "b", "c"}},
      {"a\n\nb", {"a", "", "b"}},
      {"a\n\r", {"a", ""}},
      {"\r\n", {""}},
      {std::string("a\nb\0c\nd", 7), {"a", "b"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitLines(c.text), c.expected) << c.text;
}

TEST(TextLines, joinPutsCrLfAfterEveryLine) {
  EXPECT_EQ(JoinLines({}), "");
  EXPECT_EQ(JoinLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
}

class TextFiles : public ::testing::Test {
 protected:
  testsupport::TempFolder folder;
  const fs::path& dir = folder.Root();
};

TEST_F(TextFiles, writeThenReadRoundTrips) {
  const auto path = (dir / "page.html").string();
  WriteLines(path, {"one", "two"});
  EXPECT_EQ(ReadFileBytes(path), "one\r\ntwo\r\n");
  EXPECT_EQ(ReadLines(path), (StringList{"one", "two"}));
  EXPECT_EQ(fs::directory_iterator(dir)->path().filename(), "page.html") << "temp file left behind";
}

TEST_F(TextFiles, readMissingFileRaisesCannotOpenWithPathAndReason) {
  const auto path = (dir / "missing.html").string();
  try {
    ReadLines(path);
    FAIL();
  } catch (const AppError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Cannot open file \"" + path + "\". No such file or directory.");
  }
}

TEST_F(TextFiles, failedWriteKeepsTheOldFileWhole) {
  const auto path = (dir / "page.html").string();
  WriteLines(path, {"old"});
  {
    const testsupport::FileSizeLimit limit(4);
    EXPECT_THROW(WriteLines(path, {"a much longer new content"}), AppError);
  }
  EXPECT_EQ(ReadFileBytes(path), "old\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(TextFiles, writeIntoMissingFolderRaisesCannotCreate) {
  const auto path = (dir / "nowhere" / "page.html").string();
  try {
    WriteLines(path, {"x"});
    FAIL();
  } catch (const AppError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Cannot create file \"" + path + "\". No such file or directory.");
  }
}

TEST_F(TextFiles, writeKeepsPermissionsAndFollowsLinks) {
  const auto real = dir / "real.html";
  WriteLines(real.string(), {"a"});
  fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  const auto link = dir / "link.html";
  fs::create_symlink(real, link);
  WriteLines(link.string(), {"b"});
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadFileBytes(real.string()), "b\r\n");
  EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}
