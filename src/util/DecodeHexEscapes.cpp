#include "util/DecodeHexEscapes.h"

namespace UUtils {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string DecodeHexEscapes(std::string_view text) {
  std::string decoded;
  decoded.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '$') {
      decoded += text[i];
      continue;
    }
    const std::string_view digits = text.substr(i + 1, 2);
    if (digits.empty()) return {};
    int value = 0;
    for (const char c : digits) {
      const int digit = HexDigit(c);
      if (digit < 0) return {};
      value = value * 16 + digit;
    }
    decoded += static_cast<char>(value);
    i += digits.size();
  }
  return decoded;
}

}  // namespace UUtils
