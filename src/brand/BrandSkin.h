#pragma once

#include <QString>
#include <cstddef>
#include <optional>
#include <string>

namespace brand {

// The brand's skin file, beside the brand settings file.
inline constexpr char kSkinFile[] = "mainskin.dat";

// The most a brand's skin file may hold, compressed or inflated: a style
// sheet is a few kilobytes, and data beyond this is refused rather than
// unpacked.
inline constexpr std::size_t kMaxSkinSize = 1024 * 1024;

// The style sheet in the brand's skin file `path` (a zlib stream of UTF-8
// text), as the window wears it. Nothing when the file holds no skin: the
// built-in skin stays without a word. Raises UUtils::AppError saying why
// when the file is refused: not a plain file, or more than kMaxSkinSize.
std::optional<QString> ReadSkinFile(const std::string& path);

}  // namespace brand
