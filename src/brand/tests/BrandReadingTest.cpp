#include <gtest/gtest.h>

#include <optional>

#include "brand/BrandReading.h"
#include "util/AppError.h"
#include "util/TextLines.h"

using namespace brand;

namespace {

BrandDocument DocumentOf(const std::string& plain) {
  return BrandDocument(UUtils::SplitLines(plain));
}

std::string Tag(const std::string& name, const std::string& value) {
  return "<%%" + name + "%%>" + value + "<%%/" + name + "%%>\r\n";
}

}  // namespace

TEST(BrandReading, namedTagsFillTheProfileInTheirOrder) {
  std::string plain;
  for (const auto name : kNamedTags) plain += Tag(std::string(name), std::string(name) + "!");
  BrandDocument document = DocumentOf(plain);
  TBrandProfile p;
  EXPECT_EQ(ReadNamedTags(document, p), "MakeMoneyButton!");
  EXPECT_EQ(p.ApplicationName, "ApplicationName!");
  EXPECT_EQ(p.BranderType, "BranderType!");
  EXPECT_EQ(p.AffiliateTYPE, "AffiliateTYPE!");
  EXPECT_EQ(p.GoldPublID, "GoldPublID!");
  EXPECT_EQ(p.AppHelpURL, "AppHelpURL!");
  EXPECT_EQ(p.AboutText, "AboutText!");
  EXPECT_TRUE(p.WelcomePage.empty());

  // The families follow from the same position.
  plain += Tag("Welcome1", "<p>w</p>") + Tag("Banner1", "b.gif^http://b");
  document = DocumentOf(plain);
  ReadNamedTags(document, p);
  EXPECT_EQ(ReadEntries(document, "Welcome").size(), 1u);
  EXPECT_EQ(ReadEntries(document, "Banner").size(), 1u);
}

TEST(BrandReading, affiliateIdAndMakeMoneyCaption) {
  struct Case {
    std::string url, id, expected;
  };
  const Case cases[] = {
      {"http://a/?r=%%AFFILIATEID%%&s=%%AFFILIATEID%%", "joe", "http://a/?r=joe&s=joe"},
      {"http://a/?r=%%affiliateid%%", "joe", "http://a/?r=%%affiliateid%%"},
      {"http://a/?r=%%AFFILIATEID%%", "", "http://a/?r="},
      {"http://a/%%AFFILIATEID%%", "%%AFFILIATEID%%", "http://a/%%AFFILIATEID%%"},
  };
  for (const auto& c : cases) {
    BrandDocument document = DocumentOf(Tag("AffiliateURL", c.url) + Tag("AffiliateID", c.id));
    TBrandProfile p;
    EXPECT_EQ(ReadNamedTags(document, p), "Make Money");
    EXPECT_EQ(p.AffiliateURL, c.expected) << c.url << " with " << c.id;
  }
}

TEST(BrandReading, familiesEndAtTheFirstGapAndAtSixteen) {
  std::string plain = Tag("Welcome1", "one") + Tag("Welcome2", "two") + Tag("Welcome4", "four");
  for (int n = 1; n <= 17; ++n) plain += Tag("Link" + std::to_string(n), "L^u");
  BrandDocument document = DocumentOf(plain);
  const Entries welcome = ReadEntries(document, "Welcome");
  ASSERT_EQ(welcome.size(), 2u);
  EXPECT_EQ(welcome[1].number, 2);
  EXPECT_EQ(welcome[1].text, "two");
  EXPECT_TRUE(ReadEntries(document, "Banner").empty());
  const Entries links = ReadEntries(document, "Link");
  ASSERT_EQ(links.size(), 16u);
  EXPECT_EQ(links.back().number, 16);
}

TEST(BrandReading, entriesSplitIntoNameAndAddress) {
  struct Case {
    std::string text;
    bool splits;
    std::string name, address;
  };
  const Case cases[] = {
      {"top.jpg^http://shop/", true, "top.jpg", "http://shop/"},
      {"^http://shop/", true, "", "http://shop/"},
      {"Shop^http://a^ignored", true, "Shop", "http://a"},
      {"Shop", false, "", ""},
      {"Shop^", false, "", ""},
  };
  for (const auto& c : cases) {
    if (c.splits) {
      const EntryParts parts = SplitEntry({3, c.text}, "Link");
      EXPECT_EQ(parts.name, c.name) << c.text;
      EXPECT_EQ(parts.address, c.address) << c.text;
    } else {
      try {
        SplitEntry({3, c.text}, "Link");
        ADD_FAILURE() << c.text << " split";
      } catch (const UUtils::AppError& error) {
        EXPECT_STREQ(error.what(),
                     "The brand's Link3 entry has no address: write it as name^address.");
      }
    }
  }
}

TEST(BrandReading, newsButtonFollowsTheTierWithExactCase) {
  struct Case {
    const char* tier;
    bool master, platinum, gold, shown;
  };
  const Case cases[] = {
      {"Master", true, false, false, true},   {"Master", false, true, true, false},
      {"Platinum", false, true, false, true}, {"Gold", false, false, true, true},
      {"gold", true, true, true, false},      {"Free", true, false, false, true},
      {"Free", false, true, true, false},     {"", true, true, true, false},
  };
  for (const auto& c : cases) {
    TBrandProfile p;
    p.BranderType = c.tier;
    const std::string id = "7", url = "http://news/";
    if (c.master) p.MasterPublID = id, p.MasterNewsBaseURL = url;
    if (c.platinum) p.PlatinumPublID = id, p.PlatinumNewsBaseURL = url;
    if (c.gold) p.GoldPublID = id, p.GoldNewsBaseURL = url;
    EXPECT_EQ(NewsButtonShown(p), c.shown) << c.tier << c.master << c.platinum << c.gold;
  }
  TBrandProfile halfPair;
  halfPair.BranderType = std::string("Gold");
  halfPair.GoldPublID = std::string("7");
  EXPECT_FALSE(NewsButtonShown(halfPair));
}

TEST(BrandReading, newsAccountIsThePaidTiersOwnRow) {
  const struct {
    const char* tier;
    bool withIds;
    std::optional<NewsAccount> account;
  } cases[] = {
      {"Master", true, NewsAccount{"http://master/", "pM", "code", "BM"}},
      {"Platinum", true, NewsAccount{"http://platinum/", "pP", "code", "BP"}},
      {"Gold", true, NewsAccount{"http://gold/", "pG", "code", "BG"}},
      {"gold", true, {}},
      {"Free", true, {}},
      {"", true, {}},
      {"Gold ", true, {}},
      {"Master", false, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tier);
    TBrandProfile p;
    p.BranderType = c.tier;
    p.BranderCode = "code";
    if (c.withIds) p.MasterPublID = "pM", p.PlatinumPublID = "pP", p.GoldPublID = "pG";
    p.MasterNewsBaseURL = "http://master/";
    p.PlatinumNewsBaseURL = "http://platinum/";
    p.GoldNewsBaseURL = "http://gold/";
    const auto account = BrandNewsAccount(p);
    ASSERT_EQ(account.has_value(), c.account.has_value());
    if (!account) continue;
    EXPECT_EQ(account->baseUrl, c.account->baseUrl);
    EXPECT_EQ(account->publisherId, c.account->publisherId);
    EXPECT_EQ(account->productCode, c.account->productCode);
    EXPECT_EQ(account->tierCode, c.account->tierCode);
  }
  // A publisher identifier without an address still asks, and fails as an
  // unreachable service would.
  TBrandProfile noAddress;
  noAddress.BranderType = "Gold";
  noAddress.GoldPublID = "7";
  const auto account = BrandNewsAccount(noAddress);
  ASSERT_TRUE(account);
  EXPECT_EQ(account->baseUrl, "");
  EXPECT_EQ(account->tierCode, "BG");
}

TEST(BrandReading, bannerAndLinksAreChosenFromTheEntries) {
  EXPECT_FALSE(ChooseBanner({}));
  const Entries banners = {{1, "top.jpg^http://top/"}, {2, "side.gif^http://side/"}};
  for (int draw = 0; draw < 8; ++draw) {
    const auto banner = ChooseBanner(banners);
    ASSERT_TRUE(banner);
    EXPECT_EQ(banners[std::size_t(banner->number - 1)].text,
              banner->parts.name + "^" + banner->parts.address);
  }
  EXPECT_THROW(ChooseBanner({{4, "no address"}}), UUtils::AppError);

  EXPECT_TRUE(ChooseLinks({}).empty());
  const auto one = ChooseLinks({{1, "Shop^http://shop/"}});
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].name + one[0].address, "Shophttp://shop/");
  for (int draw = 0; draw < 8; ++draw) {
    const auto two = ChooseLinks({{1, "A^a"}, {2, "B^b"}, {3, "C^c"}});
    ASSERT_EQ(two.size(), 2u);
    EXPECT_NE(two[0].name, two[1].name) << "two different links";
  }
  EXPECT_THROW(ChooseLinks({{1, "A^a"}, {2, "B"}}), UUtils::AppError)
      << "the entry without an address is drawn first or second";
}
