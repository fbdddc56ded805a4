#pragma once

#include <string>
#include <string_view>

namespace UUtils {

// The letter in lower case when it is one of A to Z; any other byte as it is, so that
// Windows-1252 and UTF-8 bytes pass unchanged.
constexpr char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// `text` with A to Z in lower case.
inline std::string LowerAscii(std::string text) {
  for (char& c : text) c = LowerAscii(c);
  return text;
}

// Whether the two are the same when A to Z count as a to z.
constexpr bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

}  // namespace UUtils
