#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <functional>

#include "generator/DateTime.h"
#include "generator/OfferSummary.h"

using namespace generator;

namespace {

// 2026-12-10 12:00 UTC, a Thursday.
constexpr std::int64_t kNow = 1796904000;

struct Case {
  const char* name;
  std::function<void(OfferSettings&)> set;
  std::vector<std::string> lines;
  std::vector<std::string> warnings;
};

// A limit-number offer with a bar text that shows no token.
OfferSettings Plain() {
  OfferSettings s;
  s.hurrexText = "Hurry";
  return s;
}

void Expiry(OfferSettings& s, int day, int hour, int minute, double zone) {
  s.expiryDate = true;
  s.expiryDateValue = *EncodeDateTime(2026, 12, day, hour, minute);
  s.timeZone = zone;
  s.hurrexText = "Ends in %%timeleft%% minutes";
}

void OneTime(OfferSettings& s, double minutes) {
  s.oneTimeOffer = true;
  s.timeOut = minutes;
  s.hurrexText = "Only %%timeleft%% minutes left";
}

const std::string kNoNextPage =
    "No next page: once the offer has closed, the page shows the bar closed.";

// The seller's clock runs an hour ahead of UTC.
class OfferSummaryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* zone = std::getenv("TZ");
    if (zone) saved = zone;
    hadZone = zone != nullptr;
    ::setenv("TZ", "XXX-1", 1);
    ::tzset();
  }
  void TearDown() override {
    hadZone ? ::setenv("TZ", saved.c_str(), 1) : ::unsetenv("TZ");
    ::tzset();
  }
  std::string saved;
  bool hadZone = false;
};

}  // namespace

TEST_F(OfferSummaryTest, saysWhenAndHowTheOfferEndsAndWhatMakesNoSense) {
  const std::vector<Case> cases = {
      {"expiry in the seller's time and UTC",
       [](OfferSettings& s) { Expiry(s, 10, 13, 0, 0); },
       {"Ends Thursday 10 December 2026 at 14:00 your time, 13:00 UTC.", kNoNextPage},
       {}},
      {"a negative zone ends earlier",
       [](OfferSettings& s) { Expiry(s, 10, 15, 30, -2); },
       {"Ends Thursday 10 December 2026 at 14:30 your time, 13:30 UTC.", kNoNextPage},
       {}},
      {"the UTC day named when it differs",
       [](OfferSettings& s) { Expiry(s, 10, 23, 30, 0); },
       {"Ends Friday 11 December 2026 at 00:30 your time, Thursday 10 December 2026 at 23:30 UTC.",
        kNoNextPage},
       {}},
      {"an expiry already past",
       [](OfferSettings& s) { Expiry(s, 10, 11, 0, 0); },
       {"Ends Thursday 10 December 2026 at 12:00 your time, 11:00 UTC.", kNoNextPage},
       {"The expiry has already passed: the offer is over."}},
      {"an expiry at this very second has passed",
       [](OfferSettings& s) { Expiry(s, 10, 12, 0, 0); },
       {"Ends Thursday 10 December 2026 at 13:00 your time, 12:00 UTC.", kNoNextPage},
       {"The expiry has already passed: the offer is over."}},
      {"an expiry beyond any timestamp",
       [](OfferSettings& s) { Expiry(s, 10, 12, 0, 1e18); },
       {},
       {"The expiry date 46366.5 with time zone 1000000000000000000 cannot be written: it lies "
        "outside the range of a 64-bit timestamp."}},
      {"one-time offer under an hour",
       [](OfferSettings& s) { OneTime(s, 1); },
       {"Each visitor has 1 minute from their first view.", kNoNextPage},
       {}},
      {"one-time offer in days, hours and minutes",
       [](OfferSettings& s) { OneTime(s, 1441); },
       {"Each visitor has 1441 minutes (1 day 1 minute) from their first view.", kNoNextPage},
       {}},
      {"one-time offer of 0 minutes",
       [](OfferSettings& s) { OneTime(s, 0); },
       {"Each visitor has 0 minutes from their first view.", kNoNextPage},
       {"A one-time offer with a time-out of 0 minutes is over before a visitor's first view."}},
      {"copy limit of one with its token and a next page",
       [](OfferSettings& s) {
         s.maxNumSales = 1;
         s.hurrexText = "%%copiesleft%% left";
         s.redirectPage = "nextpage.php";
       },
       {"Closes after 1 sale.",
        "Next page: nextpage.php, for visitors once the offer has closed and for buyers sent to "
        "stthanksredirect.php."},
       {}},
      {"copy limit without its token",
       [](OfferSettings& s) { s.maxNumSales = 100; },
       {"Closes after 100 sales.", kNoNextPage},
       {"The bar text has no %%copiesleft%%: visitors do not see the copies left."}},
      {"time limit without its token, copy token without a limit",
       [](OfferSettings& s) {
         OneTime(s, 30);
         s.hurrexText = "%%copiesleft%% left";
       },
       {"Each visitor has 30 minutes from their first view.", kNoNextPage},
       {"The bar text has no %%timeleft%%: visitors do not see the time left.",
        "The bar text shows %%copiesleft%%, but the offer has no copy limit: it reads empty."}},
      {"the panel's defaults never close",
       [](OfferSettings& s) { s = OfferSettings(); },
       {"No time limit and no copy limit: the offer never closes."},
       {"The bar text shows %%timeleft%%, but the offer has no time limit: it reads empty."}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    OfferSettings settings = Plain();
    c.set(settings);
    const auto summary = SummarizeOffer(settings, kNow);
    EXPECT_EQ(summary.lines, c.lines);
    EXPECT_EQ(summary.warnings, c.warnings);
  }
}
