#include <gtest/gtest.h>

#include "preview/PreviewPage.h"

using namespace preview;

// The browser gets the page by its address: every path must give one that
// leads back to the file.
TEST(FileUrl, percentEncodesWhatAnAddressWouldReadOtherwise) {
  const struct {
    const char* path;
    const char* url;
  } cases[] = {
      {"/tmp/hurrex-preview-aZ09_~/preview.html", "file:///tmp/hurrex-preview-aZ09_~/preview.html"},
      {"/home/a b/#1%/na\xC3\xAFve?.html", "file:///home/a%20b/%231%25/na%C3%AFve%3F.html"},
  };
  for (const auto& c : cases) EXPECT_EQ(FileUrl(c.path), c.url);
}

// The offer in plain words quotes what the seller typed, and goes into the
// page as text; the bar text is the seller's HTML, as on the live page. The
// page needs nothing from elsewhere.
TEST(PreviewPage, typedWordsAreTextTheBarTextIsHtmlAndNothingIsFetched) {
  generator::OfferSettings settings;
  settings.redirectPage = "<script>alert(1)</script>.php";
  settings.hurrexText = "<b>Hurry</b> & %%copiesleft%%";
  settings.maxNumSales = 5;
  const std::string page = PreviewPage(settings, 0);
  EXPECT_NE(page.find("Next page: &lt;script&gt;alert(1)&lt;/script&gt;.php"), std::string::npos)
      << page;
  EXPECT_EQ(page.find("<script>alert"), std::string::npos);
  EXPECT_NE(page.find("<b>Hurry</b> & <span class=\"hurrex-copiesleft\">5</span>"),
            std::string::npos)
      << page;
  EXPECT_EQ(page.find("://"), std::string::npos) << page;
}

// A visitor meets an offer already over on the next page, never on this one.
TEST(PreviewPage, anOfferOverAtTheFirstViewSaysWhereVisitorsGoInstead) {
  generator::OfferSettings settings;
  settings.oneTimeOffer = true;
  EXPECT_EQ(PreviewPage(settings, 0).find("sent on"), std::string::npos);
  settings.redirectPage = "next.php";
  EXPECT_NE(PreviewPage(settings, 0).find("they are sent on to next.php."), std::string::npos);
  settings.timeOut = 1;
  EXPECT_EQ(PreviewPage(settings, 0).find("sent on"), std::string::npos);
}
