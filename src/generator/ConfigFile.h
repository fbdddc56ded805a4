#pragma once

#include <cstdint>

#include "generator/OfferSettings.h"
#include "generator/PackageContract.h"
#include "util/SplitString.h"

namespace generator {

// The bar's padding in pixels and the opening tag that styles its text: the tool writes them for
// every offer.
inline constexpr std::int64_t kBarPadding = kPopupPadding.fallback;
inline constexpr char kBarFont[] =
    "<FONT style='color: #000000; font-family: Arial; font-size: 12pt;'>";

// The 22 lines of stconfig1.php, which the server scripts read, for the given
// settings, cookie-name suffix and digest of the set-up key (SetupKeyHash).
// Throws AppError for a number that cannot be written.
UUtils::StringList ConfigLines(const OfferSettings& settings, std::uint32_t cookieSuffix,
                               const std::string& setupKeyHash);

}  // namespace generator
