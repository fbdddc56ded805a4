#include "brand/BrandReading.h"

#include "util/AppError.h"
#include "util/ProcessRandom.h"

namespace brand {

namespace {

std::string WithAffiliateId(std::string url, const std::string& id) {
  static constexpr std::string_view kPlaceholder = "%%AFFILIATEID%%";
  for (auto at = url.find(kPlaceholder); at != std::string::npos;
       at = url.find(kPlaceholder, at + id.size())) {
    url.replace(at, kPlaceholder.size(), id);
  }
  return url;
}

}  // namespace

std::string ReadNamedTags(BrandDocument& document, TBrandProfile& p) {
  std::string* const fields[] = {&p.ApplicationName,
                                 &p.BranderCode,
                                 &p.BranderType,
                                 &p.AffiliateURL,
                                 &p.AffiliateTYPE,
                                 &p.AffiliateID,
                                 &p.MasterNewsBaseURL,
                                 &p.PlatinumNewsBaseURL,
                                 &p.GoldNewsBaseURL,
                                 &p.MasterPublID,
                                 &p.PlatinumPublID,
                                 &p.GoldPublID,
                                 nullptr,
                                 &p.AppHelpURL,
                                 &p.CopyrightYears,
                                 &p.CopyrightCompany,
                                 &p.AboutText};
  static_assert(std::size(fields) == std::size(kNamedTags));
  std::string makeMoney;
  for (std::size_t i = 0; i < std::size(kNamedTags); ++i) {
    std::string value = TakeTagValue(document, kNamedTags[i]);
    if (fields[i]) {
      *fields[i] = std::move(value);
    } else {
      makeMoney = std::move(value);
    }
  }
  p.AffiliateURL = WithAffiliateId(p.AffiliateURL, p.AffiliateID);
  return makeMoney.empty() ? "Make Money" : makeMoney;
}

Entries ReadEntries(BrandDocument& document, std::string_view family) {
  Entries entries;
  for (int number = 1; number <= kMaxEntries; ++number) {
    std::string text = TakeTagValue(document, std::string(family) + std::to_string(number));
    if (text.empty()) break;
    entries.push_back({number, std::move(text)});
  }
  return entries;
}

EntryParts SplitEntry(const Entry& entry, std::string_view family) {
  UUtils::StringList pieces;
  UUtils::SplitString('^', entry.text, pieces);
  if (pieces.size() < 2) {
    throw UUtils::AppError("The brand's " + std::string(family) + std::to_string(entry.number) +
                           " entry has no address: write it as name^address.");
  }
  return {pieces[0], pieces[1]};
}

std::size_t ChooseAtRandom(std::size_t count) {
  UUtils::ProcessRandom::Seed();
  return UUtils::ProcessRandom::Draw(static_cast<std::uint32_t>(count));
}

std::optional<ChosenBanner> ChooseBanner(const Entries& banners) {
  if (banners.empty()) return std::nullopt;
  const Entry& entry = banners[ChooseAtRandom(banners.size())];
  return ChosenBanner{entry.number, SplitEntry(entry, "Banner")};
}

std::vector<EntryParts> ChooseLinks(Entries links) {
  std::vector<EntryParts> chosen;
  if (links.empty()) return chosen;
  const std::size_t first = ChooseAtRandom(links.size());
  chosen.push_back(SplitEntry(links[first], "Link"));
  links.erase(links.begin() + std::ptrdiff_t(first));
  if (!links.empty()) chosen.push_back(SplitEntry(links[ChooseAtRandom(links.size())], "Link"));
  return chosen;
}

}  // namespace brand
