#include "update/ProfileFile.h"

#include "util/AppError.h"
#include "util/Ascii.h"
#include "util/FileStream.h"
#include "util/TextLines.h"

namespace update {

namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text) {
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::string_view Unquoted(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

}  // namespace

std::string ProfileString(std::string_view text, std::string_view section, std::string_view key,
                          const std::string& fallback) {
  if (text.size() > kMaxProfileBytes) return fallback;
  if (text.substr(0, kUtf8Mark.size()) == kUtf8Mark) text.remove_prefix(kUtf8Mark.size());
  bool inside = false;
  for (const std::string& raw : UUtils::SplitLines(text)) {
    const std::string_view line = Trim(raw);
    if (!line.empty() && line.front() == '[') {
      const size_t close = line.rfind(']');
      if (close == std::string_view::npos) continue;
      // Only the first section of that name counts.
      if (inside) return fallback;
      inside = UUtils::SameIgnoringAsciiCase(Trim(line.substr(1, close - 1)), section);
      continue;
    }
    if (!inside) continue;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos ||
        !UUtils::SameIgnoringAsciiCase(Trim(line.substr(0, equals)), key))
      continue;
    return std::string(Unquoted(Trim(line.substr(equals + 1))));
  }
  return fallback;
}

std::string ReadProfileString(const std::string& file, std::string_view section,
                              std::string_view key, const std::string& fallback) {
  // One byte more than a profile may hold tells a text that is too long.
  std::string text(kMaxProfileBytes + 1, '\0');
  try {
    UUtils::FileStream stream = UUtils::FileStream::OpenForReading(file);
    auto* bytes = reinterpret_cast<std::uint8_t*>(text.data());
    size_t got = 0;
    while (got < text.size()) {
      const size_t read = stream.Read(bytes + got, text.size() - got);
      if (read == 0) break;
      got += read;
    }
    text.resize(got);
  } catch (const UUtils::AppError&) {
    return fallback;
  }
  return ProfileString(text, section, key, fallback);
}

}  // namespace update
