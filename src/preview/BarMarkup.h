#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "generator/OfferSettings.h"

namespace preview {

// The offer as a visitor meets it on the first view of a freshly uploaded
// package (no copy sold yet), by the package's own rules.
struct VisitorOffer {
  bool open = true;
  std::optional<std::int64_t> secondsLeft;  // none without a time limit
  std::optional<std::int64_t> copiesLeft;   // none without a copy limit
};

// The offer of `settings` for a visitor whose first view is `now` (seconds
// since 1970-01-01 00:00 UTC). Throws AppError for a number that cannot be
// written into the package's configuration.
VisitorOffer FirstView(const generator::OfferSettings& settings, std::int64_t now);

// The bar as it goes into a page: `head` right after the opening <body> tag,
// `tail` right before the closing </body> tag.
struct BarMarkup {
  std::string head;
  std::string tail;
};

// The bar of `settings` for `offer`, filled from the template the package
// fills. Served from a page in URL folder `urlFolder` (such as "/shop/", as
// the package percent-encodes it), its script refreshes the copies left from
// stiframe.php and reloads the page when the offer ends, exactly as the
// package's bar. Without a folder it is the preview's bar, which no server
// answers: the figures only count down, and the bar shows itself closed when
// the time is up. Throws AppError for a number that cannot be written.
BarMarkup RenderBar(const generator::OfferSettings& settings, const VisitorOffer& offer,
                    const std::optional<std::string>& urlFolder = std::nullopt);

}  // namespace preview
