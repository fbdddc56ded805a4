#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "util/SplitString.h"

namespace brand {

inline constexpr char kBrandFile[] = "dbsettings.dat";

// The brand settings document as one text, every line followed by CR LF, and
// the reading position that TakeTagValue moves forward only.
struct BrandDocument {
  explicit BrandDocument(const UUtils::StringList& lines);

  std::string text;
  std::size_t position = 0;
};

// Decrypts `folder` + "dbsettings.dat" in memory and reads its lines; no
// plain copy is written anywhere. Nothing when there is no brand file. File
// errors throw UUtils::AppError, and so does a brand file that is not a
// regular file (a folder, a pipe, a device), at once.
std::optional<UUtils::StringList> LoadBrandDocument(const std::string& folder);

// The first place at or after `from` where `pattern` stands in `text`, with
// the ASCII letters compared case-blind and every other byte exactly; npos
// when it stands nowhere.
std::size_t FindFolded(std::string_view text, std::string_view pattern, std::size_t from);

// "<%%" + name + "%%>" and "<%%/" + name + "%%>".
std::string OpeningTag(std::string_view name);
std::string ClosingTag(std::string_view name);

// The value between the first opening tag of `name` at or after the reading
// position and the next closing tag. The position moves past the opening
// tag when there is one, and on to the closing tag when that is found too;
// a missing tag or closing tag gives an empty value.
std::string TakeTagValue(BrandDocument& document, std::string_view name);

}  // namespace brand
