#pragma once

#include <string_view>

namespace UUtils {

// Whether `text` is a news id as the news service hands them out and the
// brand file keeps them: an optional minus sign and 1 to 10 decimal digits
// whose value fits a signed 32-bit number. Nothing else (no blanks, no plus
// sign, no line break) is one.
bool IsNewsId(std::string_view text);

}  // namespace UUtils
