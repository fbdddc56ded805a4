#include <gtest/gtest.h>

#include "brand/BrandCheck.h"
#include "testsupport/BrandMedia.h"
#include "testsupport/TempFolder.h"
#include "util/TextLines.h"

using namespace brand;

namespace {

std::vector<std::string> TextsOf(const std::vector<Finding>& findings, Finding::Kind kind) {
  std::vector<std::string> texts;
  for (const auto& finding : findings) {
    if (finding.kind == kind) texts.push_back(finding.text);
  }
  return texts;
}

bool Has(const std::vector<std::string>& texts, const std::string& start) {
  for (const auto& text : texts) {
    if (text.rfind(start, 0) == 0) return true;
  }
  return false;
}

}  // namespace

TEST(BrandCheck, aSoundBrandHasNoProblemsAndTellsWhyTheNewsButtonShows) {
  testsupport::TempFolder folder;
  UUtils::WriteFileBytes(folder.Path("banner1.dat"), brandmedia::AnimatedGif(40, 20, 2));
  const auto findings = CheckBrandDocument(
      UUtils::SplitLines("<%%ApplicationName%%>Caf\xE9 \x80<%%/ApplicationName%%>\r\n"
                         "<%%BranderType%%>Free<%%/BranderType%%>\r\n"
                         "<%%MasterNewsBaseURL%%>http://news/<%%/MasterNewsBaseURL%%>\r\n"
                         "<%%MasterPublID%%>9<%%/MasterPublID%%>\r\n"
                         "<%%Banner1%%>c:\\media\\Top.GIF^http://shop/<%%/Banner1%%>\r\n"
                         "<%%Link1%%>Shop^http://shop/<%%/Link1%%>\r\n"),
      folder.Root().string() + "/");
  EXPECT_TRUE(TextsOf(findings, Finding::Kind::Problem).empty());
  const auto found = TextsOf(findings, Finding::Kind::Found);
  EXPECT_TRUE(Has(found, "ApplicationName: \"Caf\xC3\xA9 \xE2\x82\xAC\""));
  EXPECT_TRUE(Has(found, "banner1.dat for Banner1: an animation of 40 x 20"));
  EXPECT_TRUE(Has(TextsOf(findings, Finding::Kind::Missing), "AboutText"));
  EXPECT_TRUE(Has(TextsOf(findings, Finding::Kind::Note),
                  "the News button shows: BranderType \"Free\" with MasterPublID and "
                  "MasterNewsBaseURL"));
}

TEST(BrandCheck, namesEveryTagTheReadingWillMiss) {
  testsupport::TempFolder folder;
  const auto findings = CheckBrandDocument(
      UUtils::SplitLines("<%%BranderCode%%>X1<%%/BranderCode%%>\r\n"
                         "<%%ApplicationName%%>Shop<%%/ApplicationName%%>\r\n"
                         "<%%ApplicationName%%>Other<%%/ApplicationName%%>\r\n"
                         "<%%BranderType%%>Gold <%%/BranderType%%>\r\n"
                         "<%%AboutText%%>no end\r\n"
                         "<%%Welcome1%%>one<%%/Welcome1%%><%%Welcome3%%>3<%%/Welcome3%%>\r\n"
                         "<%%Welcome17%%>17<%%/Welcome17%%>\r\n"
                         "<%%Banner1%%>top.jpg^http://a/<%%/Banner1%%>\r\n"
                         "<%%Banner2%%>top.wmf^http://a/<%%/Banner2%%>\r\n"
                         "<%%Link1%%>no address<%%/Link1%%>\r\n"),
      folder.Root().string() + "/");
  const std::vector<std::string> expected = {
      "ApplicationName is written 2 times",
      "BranderCode stands before ApplicationName and is never read",
      "BranderType has blanks or line breaks around its value",
      "AboutText has no closing tag <%%/AboutText%%>: it reads as empty",
      "Welcome3 comes after the gap at Welcome2 and is never read",
      "Welcome17 is beyond the last number read (16) and is never read",
      "banner1.dat is missing beside the document",
      "Banner2's file name \"top.wmf\" names no picture format the program can show",
      "banner2.dat is missing beside the document",
      "Link1 has no address",
  };
  const auto problems = TextsOf(findings, Finding::Kind::Problem);
  ASSERT_EQ(problems.size(), expected.size()) << testing::PrintToString(problems);
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(problems[i].rfind(expected[i], 0), 0u) << problems[i];
  }
  EXPECT_TRUE(Has(TextsOf(findings, Finding::Kind::Note),
                  "the News button is hidden: BranderType \"Gold \" is none of"));
}
