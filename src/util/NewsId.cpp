#include "util/NewsId.h"

#include <charconv>
#include <cstdint>

namespace UUtils {

bool IsNewsId(std::string_view text) {
  const std::string_view digits = text.substr(!text.empty() && text.front() == '-' ? 1 : 0);
  if (digits.empty() || digits.size() > 10) return false;
  for (const char c : digits) {
    if (c < '0' || c > '9') return false;
  }
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

}  // namespace UUtils
