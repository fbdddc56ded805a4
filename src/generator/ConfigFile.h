#pragma once

#include <cstdint>

#include "generator/OfferSettings.h"
#include "util/SplitString.h"

namespace generator {

// The 21 lines of stconfig1.php, which the server scripts read, for the given
// settings and cookie-name suffix. Throws AppError for a number that cannot
// be written.
UUtils::StringList ConfigLines(const OfferSettings& settings, std::uint32_t cookieSuffix);

}  // namespace generator
