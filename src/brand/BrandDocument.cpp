#include "brand/BrandDocument.h"

#include <filesystem>

#include "brand/BrandFileCipher.h"
#include "util/Ascii.h"
#include "util/TextLines.h"

namespace brand {

BrandDocument::BrandDocument(const UUtils::StringList& lines) : text(UUtils::JoinLines(lines)) {}

std::optional<UUtils::StringList> LoadBrandDocument(const std::string& folder) {
  const std::string source = folder + kBrandFile;
  if (!std::filesystem::exists(source)) return std::nullopt;
  return UUtils::SplitLines(brand::DecryptFile(source));
}

std::size_t FindFolded(std::string_view text, std::string_view pattern, std::size_t from) {
  if (pattern.size() > text.size()) return std::string_view::npos;
  for (std::size_t at = from; at + pattern.size() <= text.size(); ++at) {
    std::size_t i = 0;
    while (i < pattern.size() && UUtils::LowerAscii(text[at + i]) == UUtils::LowerAscii(pattern[i]))
      ++i;
    if (i == pattern.size()) return at;
  }
  return std::string_view::npos;
}

std::string OpeningTag(std::string_view name) { return "<%%" + std::string(name) + "%%>"; }

std::string ClosingTag(std::string_view name) { return "<%%/" + std::string(name) + "%%>"; }

std::string TakeTagValue(BrandDocument& document, std::string_view name) {
  const std::string opening = OpeningTag(name);
  const std::size_t open = FindFolded(document.text, opening, document.position);
  if (open == std::string::npos) return {};
  document.position = open + opening.size();
  const std::size_t close = FindFolded(document.text, ClosingTag(name), document.position);
  if (close == std::string::npos) return {};
  std::string value = document.text.substr(document.position, close - document.position);
  document.position = close;
  return value;
}

}  // namespace brand
