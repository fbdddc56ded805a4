#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "brand/BrandDocument.h"
#include "brand/BrandProfile.h"

namespace brand {

// The named tags in the order the document must follow.
inline constexpr std::string_view kNamedTags[] = {
    "ApplicationName", "BranderCode",  "BranderType",       "AffiliateURL",
    "AffiliateTYPE",   "AffiliateID",  "MasterNewsBaseURL", "PlatinumNewsBaseURL",
    "GoldNewsBaseURL", "MasterPublID", "PlatinumPublID",    "GoldPublID",
    "MakeMoneyButton", "AppHelpURL",   "CopyrightYears",    "CopyrightCompany",
    "AboutText"};

// The numbered families after them, each read from 1 to at most kMaxEntries.
inline constexpr std::string_view kFamilies[] = {"Welcome", "Banner", "Link"};
inline constexpr int kMaxEntries = 16;

// Reads the named tags in their order into `profile`, with the affiliate
// identifier put in place of every "%%AFFILIATEID%%" of the affiliate
// address. Returns the Make Money caption, "Make Money" when the brand
// leaves it empty.
std::string ReadNamedTags(BrandDocument& document, TBrandProfile& profile);

// One entry of a numbered family: its number and its text.
struct Entry {
  int number;
  std::string text;
};
using Entries = std::vector<Entry>;

// The family's entries from number 1 up to the first empty or missing one.
Entries ReadEntries(BrandDocument& document, std::string_view family);

// A Banner or Link entry cut at "^": file name or caption, then the address.
// An entry without an address throws UUtils::AppError.
struct EntryParts {
  std::string name;
  std::string address;
};
EntryParts SplitEntry(const Entry& entry, std::string_view family);

// Seeds the process's generator from the clock and draws a position below
// `count` (which is at least 1).
std::size_t ChooseAtRandom(std::size_t count);

// The banner shown: one Banner entry at random, with its number (which names
// its picture's data file), file name and address; nothing without entries.
// Throws as SplitEntry does.
struct ChosenBanner {
  int number;
  EntryParts parts;
};
std::optional<ChosenBanner> ChooseBanner(const Entries& banners);

// The links shown: up to two different Link entries at random, the second
// drawn from those the first left. Throws as SplitEntry does.
std::vector<EntryParts> ChooseLinks(Entries links);

}  // namespace brand
