#include "generator/PageInclude.h"

#include "util/AppError.h"
#include "util/TextLines.h"

namespace generator {

void IncludePackageInPage(const std::string& path) {
  const std::string bytes = UUtils::ReadFileBytes(path);
  // Lines end at the first NUL byte: rewriting such a page would cut off the
  // rest of it.
  if (bytes.find('\0') != std::string::npos) {
    throw UUtils::AppError(
        "Cannot insert the script into \"" + path +
        "\". The page holds a NUL byte, so it is no text page; it was left unchanged.");
  }
  UUtils::StringList lines = UUtils::SplitLines(bytes);
  const std::string text = UUtils::JoinLines(lines);
  if (text.find(kConfigMarker) != std::string::npos &&
      text.find(kMainMarker) != std::string::npos) {
    return;
  }
  lines.insert(lines.begin(), kIncludeLine);
  UUtils::WriteLines(path, lines);
}

}  // namespace generator
