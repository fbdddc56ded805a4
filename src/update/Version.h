#pragma once

#include <optional>
#include <string_view>

#include "util/AppVersion.h"

namespace update {

// A version text as a number, read with a point as the decimal separator
// whatever the locale: an optional sign, digits with an optional fraction and
// exponent, blanks around it allowed. Nothing when the text is not a finite
// number.
std::optional<double> VersionNumber(std::string_view text);

// Whether the descriptor's version is above the installed one. The
// descriptor's value is held as a 32-bit float, the installed one at full
// precision, so a descriptor naming the installed version is not above it. A
// descriptor version that is not a number, or too large for a float, counts
// as 0.
bool IsNewer(std::string_view descriptorVersion, std::string_view installed = UUtils::AppVersion);

}  // namespace update
