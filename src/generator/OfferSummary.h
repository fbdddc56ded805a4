#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "generator/OfferSettings.h"

namespace generator {

// The offer in plain words, as visitors of the generated package will meet it.
struct OfferSummary {
  std::vector<std::string> lines;     // when it ends, for whom, and what comes next
  std::vector<std::string> warnings;  // settings that make no sense together
};

// Summarises `settings` at the instant `now` (seconds since 1970-01-01 00:00
// UTC). The seller's local time is the process's time zone.
OfferSummary SummarizeOffer(const OfferSettings& settings, std::int64_t now);

}  // namespace generator
