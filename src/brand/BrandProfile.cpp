#include "brand/BrandProfile.h"

namespace brand {

TBrandProfile BrandProfile;

namespace {

// The tier table: each paid tier's code and its own pair of publisher
// identifier and news address.
struct TierRow {
  const char* branderType;
  const char* tierCode;
  std::string TBrandProfile::*publisherId;
  std::string TBrandProfile::*newsBaseUrl;
};

constexpr TierRow kTiers[] = {
    {"Master", "BM", &TBrandProfile::MasterPublID, &TBrandProfile::MasterNewsBaseURL},
    {"Platinum", "BP", &TBrandProfile::PlatinumPublID, &TBrandProfile::PlatinumNewsBaseURL},
    {"Gold", "BG", &TBrandProfile::GoldPublID, &TBrandProfile::GoldNewsBaseURL},
};

const TierRow* RowOf(const std::string& branderType) {
  for (const TierRow& row : kTiers) {
    if (branderType == row.branderType) return &row;
  }
  return nullptr;
}

}  // namespace

bool NewsButtonShown(const TBrandProfile& p) {
  const TierRow* row = RowOf(p.BranderType == "Free" ? "Master" : p.BranderType);
  return row && !(p.*row->publisherId).empty() && !(p.*row->newsBaseUrl).empty();
}

std::optional<NewsAccount> BrandNewsAccount(const TBrandProfile& p) {
  const TierRow* row = RowOf(p.BranderType);
  if (!row || (p.*row->publisherId).empty()) return std::nullopt;
  return NewsAccount{p.*row->newsBaseUrl, p.*row->publisherId, p.BranderCode, row->tierCode};
}

}  // namespace brand
