#pragma once

#include <string>
#include <string_view>

namespace UUtils {

// Replaces each "$" and the two characters after it (or the one left at the
// end) by the byte they give in hexadecimal, so "$41$42c" is "ABc" and "$24"
// is "$". A "$" with nothing or no hexadecimal digits after it makes the
// whole result empty.
std::string DecodeHexEscapes(std::string_view text);

}  // namespace UUtils
