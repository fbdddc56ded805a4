#pragma once

#include <optional>
#include <string>

namespace brand {

// The reseller's brand texts, Windows-1252 bytes, filled once while the main
// window is created and only read afterwards. Every field is empty when the
// brand lacks it.
struct TBrandProfile {
  std::string ApplicationName;
  std::string BranderCode;
  std::string BranderType;   // "Master", "Platinum", "Gold" or "Free"
  std::string AffiliateURL;  // with the affiliate identifier put in
  std::string AffiliateTYPE;
  std::string AffiliateID;
  std::string MasterNewsBaseURL;
  std::string PlatinumNewsBaseURL;
  std::string GoldNewsBaseURL;
  std::string MasterPublID;
  std::string PlatinumPublID;
  std::string GoldPublID;
  std::string AppHelpURL;
  std::string CopyrightYears;
  std::string CopyrightCompany;
  std::string AboutText;
  std::string WelcomePage;  // HTML source of the welcome page
  std::string BannerFile;
  std::string BannerURL;
  std::string Link1Caption;
  std::string Link1URL;
  std::string Link2Caption;
  std::string Link2URL;
};

// The brand the main window wears, filled while it is created; the windows
// read it and hand what the libraries need to them as values.
extern TBrandProfile BrandProfile;

// Whether the News button shows: the tier (exact letter case) has both its
// publisher identifier and its news address; the Free tier uses the Master pair.
bool NewsButtonShown(const TBrandProfile& profile);

// Where the brand asks for its news and as whom: its tier's row of the tier
// table.
struct NewsAccount {
  std::string baseUrl;
  std::string publisherId;
  std::string productCode;
  std::string tierCode;  // "BM", "BP" or "BG"
};

// The account of a "Master", "Platinum" or "Gold" brand (exact letter case)
// with a publisher identifier; nothing for any other tier, Free among them,
// or an empty identifier.
std::optional<NewsAccount> BrandNewsAccount(const TBrandProfile& profile);

}  // namespace brand
