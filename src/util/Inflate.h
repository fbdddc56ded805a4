#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace UUtils {

// One whole zlib stream, inflated, with no more than `limit` bytes ever
// unpacked.
struct Inflated {
  enum class Outcome { Inflated, NotAStream, TooLarge };
  Outcome outcome;
  std::string data;  // the inflated bytes, when Inflated
};

Inflated InflateAtMost(std::string_view compressed, std::size_t limit);

}  // namespace UUtils
