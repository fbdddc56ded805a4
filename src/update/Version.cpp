#include "update/Version.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace update {

std::optional<double> VersionNumber(std::string_view text) {
  constexpr std::string_view kBlanks = " \t";
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return std::nullopt;
  text = text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
  // from_chars takes a minus but no plus.
  if (text.front() == '+') {
    text.remove_prefix(1);
    if (text.empty() || text.front() == '-') return std::nullopt;
  }
  double value = 0;
  const auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

bool IsNewer(std::string_view descriptorVersion, std::string_view installed) {
  const std::optional<double> offered = VersionNumber(descriptorVersion);
  float held = 0;
  if (offered && std::fabs(*offered) <= std::numeric_limits<float>::max()) {
    held = static_cast<float>(*offered);
  }
  return static_cast<double>(held) > VersionNumber(installed).value_or(0);
}

}  // namespace update
