#pragma once

#include <string>
#include <string_view>

namespace UUtils {

// `text` for an address: its bytes other than letters, digits, "-._~" and those of `alsoPlain`
// written as %XX with capital hex digits.
std::string PercentEncoded(std::string_view text, std::string_view alsoPlain = {});

}  // namespace UUtils
