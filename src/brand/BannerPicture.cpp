#include "brand/BannerPicture.h"

#include <string_view>

namespace brand {

namespace {

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  }
  return text;
}

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
  const std::string name = LowerAscii(FileNamePart(bannerFile));
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

}  // namespace brand
