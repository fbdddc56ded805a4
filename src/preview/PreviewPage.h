#pragma once

#include <cstdint>
#include <string>

#include "generator/OfferSettings.h"

namespace preview {

// The preview: a neutral sample page, self-contained, with the bar at its
// position, size, colour and border, its tokens filled and counting down, as
// a visitor meets it on a first view at `now` (seconds since 1970-01-01 00:00
// UTC) before any copy is sold; and the offer in plain words. Throws AppError
// for a number that cannot be written into the package's configuration.
std::string PreviewPage(const generator::OfferSettings& settings, std::int64_t now);

// Whether the file at `path` is a preview page that PreviewPage wrote, judged
// by its first bytes; false for anything but a regular file.
bool IsPreviewFile(const std::string& path);

// The file:// address of the absolute path `path`, its bytes other than
// letters, digits, "-._~" and "/" percent-encoded.
std::string FileUrl(const std::string& path);

}  // namespace preview
