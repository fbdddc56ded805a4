#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "brand/BrandDocument.h"
#include "brand/tests/BrandFixture.h"
#include "util/AppError.h"
#include "util/TextLines.h"

using namespace brand;
namespace fs = std::filesystem;

namespace {

BrandDocument DocumentOf(const std::string& plain) {
  return BrandDocument(UUtils::SplitLines(plain));
}

struct Take {
  const char* name;
  std::string value;
};

struct ReadingCase {
  const char* what;
  std::string plain;
  std::vector<Take> takes;  // in this order, from one document
};

}  // namespace

TEST(ReadingRule, takesValuesForwardOnlyAsTheDocumentHasThem) {
  const ReadingCase cases[] = {
      {"letters of tag names match in any case",
       "<%%applicationname%%>Shop<%%/APPLICATIONNAME%%>",
       {{"ApplicationName", "Shop"}}},
      {"a tag before the last one found is not seen",
       "<%%BranderCode%%>X1<%%/BranderCode%%>\r\n<%%ApplicationName%%>Shop<%%/ApplicationName%%>",
       {{"ApplicationName", "Shop"}, {"BranderCode", ""}}},
      {"the first of a repeated tag counts",
       "<%%A%%>one<%%/A%%><%%A%%>two<%%/A%%>",
       {{"A", "one"}, {"B", ""}, {"A", "two"}}},
      {"a missing tag leaves the position alone", "<%%B%%>b<%%/B%%>", {{"A", ""}, {"B", "b"}}},
      {"a missing closing tag gives empty and keeps the position after the opening",
       "<%%About%%>text\r\n<%%Welcome1%%>hi<%%/Welcome1%%>",
       {{"About", ""}, {"Welcome1", "hi"}}},
      {"a value on its own lines keeps its line breaks",
       "<%%About%%>\nline one\rline two\n<%%/About%%>",
       {{"About", "\r\nline one\r\nline two\r\n"}}},
      {"the digits and %%> keep entry 1 and entry 10 apart",
       "<%%Link10%%>ten<%%/Link10%%><%%Link1%%>one<%%/Link1%%>",
       {{"Link1", "one"}}},
      {"nothing after a NUL byte is read",
       std::string("<%%A%%>a<%%/A%%>\0<%%B%%>b<%%/B%%>", 33),
       {{"A", "a"}, {"B", ""}}},
      {"only ASCII letters fold",
       "<%%Caf\xC9%%>x<%%/Caf\xC9%%>",
       {{"caf\xE9", ""}, {"CAF\xC9", "x"}}},
  };
  for (const auto& c : cases) {
    BrandDocument document = DocumentOf(c.plain);
    for (const auto& take : c.takes) {
      EXPECT_EQ(TakeTagValue(document, take.name), take.value) << c.what << ": " << take.name;
    }
  }
}

TEST(LoadBrandDocument, decryptsTheBrandFileInMemory) {
  brandtest::BrandFolder app;
  EXPECT_FALSE(LoadBrandDocument(app.Folder()).has_value()) << "no brand file, no document";
  EXPECT_TRUE(app.Names().empty());

  app.WriteBrand("<%%ApplicationName%%>Shop<%%/ApplicationName%%>\r\nsecond\n");
  // The program folder is not written to, not even for a moment.
  const auto before = fs::last_write_time(app.Folder());
  const auto lines = LoadBrandDocument(app.Folder());
  ASSERT_TRUE(lines.has_value());
  EXPECT_EQ(*lines,
            (UUtils::StringList{"<%%ApplicationName%%>Shop<%%/ApplicationName%%>", "second"}));
  EXPECT_EQ(app.Names(), std::vector<std::string>{"dbsettings.dat"});
  EXPECT_EQ(fs::last_write_time(app.Folder()), before);
}

TEST(LoadBrandDocument, aBrandFileThatIsNoRegularFileIsRefusedAtOnce) {
  // A pipe without a writer would hold the window before it ever shows.
  brandtest::BrandFolder pipe, folder;
  ASSERT_EQ(::mkfifo(pipe.Path("dbsettings.dat").c_str(), 0644), 0);
  fs::create_directory(folder.Path("dbsettings.dat"));
  for (const auto* app : {&pipe, &folder}) {
    try {
      LoadBrandDocument(app->Folder());
      ADD_FAILURE() << "no error";
    } catch (const UUtils::AppError& e) {
      EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + app->Path("dbsettings.dat") +
                                           "\". It is not a regular file (a folder, a pipe or "
                                           "a device).");
    }
  }
}
