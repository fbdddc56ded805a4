#include "brand/BannerPicture.h"

#include <QImageReader>
#include <algorithm>
#include <filesystem>
#include <string_view>

#include "util/AppError.h"
#include "util/Ascii.h"

namespace brand {

namespace {

struct StillFormat {
  std::string_view extension;
  std::string_view format;
};

// Metafiles (emf, wmf) have no reader here: such a banner cannot be shown.
constexpr StillFormat kStillFormats[] = {
    {"jpg", "jpeg"}, {"jpeg", "jpeg"}, {"jpe", "jpeg"}, {"jfif", "jpeg"},
    {"bmp", "bmp"},  {"dib", "bmp"},   {"png", "png"},  {"ico", "ico"},
};

}  // namespace

std::string FileNamePart(const std::string& bannerFile) {
  const auto slash = bannerFile.find_last_of("/\\");
  return slash == std::string::npos ? bannerFile : bannerFile.substr(slash + 1);
}

BannerPicture BannerPictureOf(const std::string& bannerFile) {
  const std::string name = UUtils::LowerAscii(FileNamePart(bannerFile));
  if (name.find(".gif") != std::string::npos) return {true, "gif"};
  const auto dot = name.rfind('.');
  const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot + 1);
  for (const auto& still : kStillFormats) {
    if (extension == still.extension) return {false, std::string(still.format)};
  }
  return {false, {}};
}

std::string BannerDataPath(const std::string& folder, int number) {
  return folder + "banner" + std::to_string(number) + ".dat";
}

void RequirePlainFile(const std::string& path, const std::string& what) {
  if (!std::filesystem::is_regular_file(path)) {
    throw UUtils::AppError(what + " \"" + path + "\" is not a plain file.");
  }
}

DecodedBanner DecodeBanner(const std::string& path, const std::string& bannerFile) {
  RequirePlainFile(path, "The banner picture");
  const BannerPicture kind = BannerPictureOf(bannerFile);
  const QByteArray format = QByteArray::fromStdString(kind.format);
  const auto unreadable = [&](const QString& reason) {
    return UUtils::AppError("The banner picture \"" + path + "\" cannot be read as " +
                            format.toUpper().toStdString() + ": " + reason.toStdString());
  };
  if (format.isEmpty()) {
    throw UUtils::AppError("The banner picture \"" + path +
                           "\" cannot be read: there is no reader for \"" +
                           FileNamePart(bannerFile) + "\" pictures.");
  }
  // An animation is judged by its first frame, read by the reader that
  // plays it.
  QImageReader reader(QString::fromStdString(path), format);
  reader.setAutoDetectImageFormat(false);
  DecodedBanner banner{reader.read(), kind.animated};
  if (banner.picture.isNull()) throw unreadable(reader.errorString());
  return banner;
}

std::vector<QImage> DecodeIcon(const std::string& path) {
  RequirePlainFile(path, "The application icon");
  std::vector<QImage> pictures;
  QImageReader reader(QString::fromStdString(path));
  for (int i = 0, count = std::max(reader.imageCount(), 1); i < count; ++i) {
    if (i > 0 && !reader.jumpToNextImage()) break;
    QImage picture = reader.read();
    if (!picture.isNull()) pictures.push_back(std::move(picture));
  }
  if (pictures.empty()) {
    throw UUtils::AppError("The application icon \"" + path + "\" cannot be read.");
  }
  return pictures;
}

}  // namespace brand
