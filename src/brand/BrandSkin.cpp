#include "brand/BrandSkin.h"

#include <filesystem>

#include "brand/BannerPicture.h"
#include "util/AppError.h"
#include "util/Inflate.h"
#include "util/TextLines.h"

namespace brand {

std::optional<QString> ReadSkinFile(const std::string& path) {
  RequirePlainFile(path, "The skin file");
  const auto refused = [&path](const std::string& why) {
    return UUtils::AppError("The skin file \"" + path + "\" is not used: " + why +
                            ", more than a skin may hold. The built-in skin stays.");
  };
  if (std::filesystem::file_size(path) > kMaxSkinSize) throw refused("it is larger than 1 MB");
  const auto inflated = UUtils::InflateAtMost(UUtils::ReadFileBytes(path), kMaxSkinSize);
  switch (inflated.outcome) {
    case UUtils::Inflated::Outcome::TooLarge:
      throw refused("it inflates to more than 1 MB");
    case UUtils::Inflated::Outcome::NotAStream:
      return std::nullopt;
    case UUtils::Inflated::Outcome::Inflated:
      break;
  }
  const QString sheet = QString::fromUtf8(inflated.data);
  if (sheet.toUtf8() != QByteArray::fromStdString(inflated.data)) return std::nullopt;
  return sheet;
}

}  // namespace brand
