#include "brand/BrandProfile.h"

namespace brand {

TBrandProfile BrandProfile;

bool NewsButtonShown(const TBrandProfile& p) {
  const auto pair = [](const std::string& id, const std::string& url) {
    return !id.empty() && !url.empty();
  };
  const std::string& tier = p.BranderType;
  return ((tier == "Master" || tier == "Free") && pair(p.MasterPublID, p.MasterNewsBaseURL)) ||
         (tier == "Platinum" && pair(p.PlatinumPublID, p.PlatinumNewsBaseURL)) ||
         (tier == "Gold" && pair(p.GoldPublID, p.GoldNewsBaseURL));
}

}  // namespace brand
