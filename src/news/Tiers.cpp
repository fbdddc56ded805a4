#include "news/Tiers.h"

#include "brand/BrandProfile.h"

namespace news {

namespace {

struct TierRow {
  const char* branderType;
  const char* tierCode;
  std::string brand::TBrandProfile::*publisherId;
  std::string brand::TBrandProfile::*newsBaseUrl;
};

constexpr TierRow kTiers[] = {
    {"Master", "BM", &brand::TBrandProfile::MasterPublID, &brand::TBrandProfile::MasterNewsBaseURL},
    {"Platinum", "BP", &brand::TBrandProfile::PlatinumPublID,
     &brand::TBrandProfile::PlatinumNewsBaseURL},
    {"Gold", "BG", &brand::TBrandProfile::GoldPublID, &brand::TBrandProfile::GoldNewsBaseURL},
};

}  // namespace

std::optional<Publisher> BrandPublisher() {
  for (const TierRow& row : kTiers) {
    if (brand::BrandProfile.BranderType != row.branderType) continue;
    const std::string& id = brand::BrandProfile.*row.publisherId;
    if (id.empty()) return std::nullopt;
    return Publisher{id, brand::BrandProfile.BranderCode, row.tierCode};
  }
  return std::nullopt;
}

std::string NewsBaseUrl(const std::string& tierCode) {
  for (const TierRow& row : kTiers) {
    if (tierCode == row.tierCode) return brand::BrandProfile.*row.newsBaseUrl;
  }
  return {};
}

}  // namespace news
