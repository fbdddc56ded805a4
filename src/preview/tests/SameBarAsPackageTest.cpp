#include <gtest/gtest.h>

#include <ctime>
#include <functional>

#include "generator/GenerateScript.h"
#include "preview/BarMarkup.h"
#include "testsupport/PhpServer.h"
#include "testsupport/TempFolder.h"
#include "testsupport/Tolvan.h"
#include "testsupport/WebVisitor.h"
#include "util/TextLines.h"

using namespace generator;
using namespace preview;

namespace {

constexpr char kBody[] = "<p>Content</p>";

// Days since 1899-12-30 of the UTC instant `seconds` after 1970 began.
double Days(std::int64_t seconds) { return 25569 + static_cast<double>(seconds) / 86400; }

// The bar that the package put into the page: what follows <body> up to the
// page's content, and what follows the content up to </body>.
BarMarkup BarIn(const std::string& page) {
  const auto body = page.find("<body>") + 6;
  const auto content = page.find(kBody, body);
  const auto after = content + sizeof kBody - 1;
  return {page.substr(body, content - body), page.substr(after, page.find("</body>") - after)};
}

struct Case {
  const char* what;
  std::function<void(OfferSettings&, std::int64_t now)> set;
};

}  // namespace

// The package and the preview fill one template: for the same settings, the
// package's bar on a real page is the bar the program renders.
TEST(SameBarAsPackage, theServedPageCarriesTheBarTheProgramRenders) {
  const testsupport::TempFolder folder;
  const std::string page = folder.Path("index.php");
  UUtils::WriteFileBytes(page, std::string("<!DOCTYPE html>\n<html><head><title>Sales</title>"
                                           "</head><body>") +
                                   kBody + "</body></html>\n");
  // Every case rewrites stconfig1.php: no cached copy may hide that.
  const testsupport::PhpServer server(folder.Root().string(), {{}, {"opcache.enable=0"}});

  const Case cases[] = {
      {"the designed defaults", [](OfferSettings&, std::int64_t) {}},
      {"a copy limit at the bottom, a text with markup and look-alikes of placeholders",
       [](OfferSettings& s, std::int64_t) {
         s.maxNumSales = 25;
         s.counterRefresh = 7;
         s.onTop = false;
         s.barColor = 0x800000;
         s.barWidth = 500;
         s.barHeight = 40;
         s.barBorder = 3;
         s.hurrexText =
             "Only <b>%%copiesleft%%</b> left & \"{{text}}\" {{height}} $5 \\o/ naïve, "
             "%%timeleft%% %%copiesleft%%%";
       }},
      {"an expiry two hours ahead with the longest refresh",
       [](OfferSettings& s, std::int64_t now) {
         s.expiryDate = true;
         s.expiryDateValue = Days(now + 7200);
         s.maxNumSales = 10;
         s.counterRefresh = 10000000;
         s.hurrexText = "%%timeleft%% minutes, %%copiesleft%% copies";
       }},
      {"a one-time offer of 15 minutes",
       [](OfferSettings& s, std::int64_t) {
         s.oneTimeOffer = true;
         s.timeOut = 15;
       }},
      {"an expiry already past: the bar closed",
       [](OfferSettings& s, std::int64_t now) {
         s.expiryDate = true;
         s.expiryDateValue = Days(now - 86400);
         s.maxNumSales = 3;
         s.hurrexText = "%%timeleft%% minutes, %%copiesleft%% copies";
       }},
      {"a one-time offer without time: closed at the first view",
       [](OfferSettings& s, std::int64_t) { s.oneTimeOffer = true; }},
  };
  for (const auto& c : cases) {
    OfferSettings settings;
    settings.page = page;
    c.set(settings, std::time(nullptr));
    GenerateScript(settings, testsupport::BuiltAppFolder());

    // A new visitor, whose first view is now.
    testsupport::WebVisitor visitor;
    const std::int64_t before = std::time(nullptr);
    const auto served = visitor.Get(server.Url("index.php"));
    const std::int64_t after = std::time(nullptr);
    ASSERT_EQ(served.status, 200) << c.what;
    const BarMarkup package = BarIn(served.body);
    ASSERT_NE(package.head, "") << c.what << ": no bar in\n" << served.body;

    // The server counted from its own clock, somewhere between the two looks at ours.
    BarMarkup program;
    for (std::int64_t now = before; now <= after; ++now) {
      program = RenderBar(settings, FirstView(settings, now), "/");
      if (program.head == package.head) break;
    }
    EXPECT_EQ(program.head, package.head) << c.what;
    EXPECT_EQ(program.tail, package.tail) << c.what;
  }
}
