#pragma once

#include <QImage>
#include <string>
#include <vector>

namespace brand {

// How a banner picture is read: the file-name part of its Banner entry names
// the format, while the picture itself lies in "banner" + number + ".dat".
struct BannerPicture {
  bool animated;       // the lowered file name contains ".gif"
  std::string format;  // image reader format of a still picture; empty when
                       // the program has no reader for it
};

BannerPicture BannerPictureOf(const std::string& bannerFile);

// The file-name part of an entry's file name, any folder part ('/' or '\')
// dropped.
std::string FileNamePart(const std::string& bannerFile);

// `folder` + "banner" + number + ".dat".
std::string BannerDataPath(const std::string& folder, int number);

// A banner picture as the window shows it: a still picture, or the first
// frame of an animation that the window plays from the same file.
struct DecodedBanner {
  QImage picture;
  bool animated;
};

// Decodes the picture in `path` (a "banner" + number + ".dat" file) in the
// format its entry's file name `bannerFile` gives. Raises UUtils::AppError
// saying why when the window could not show it.
DecodedBanner DecodeBanner(const std::string& path, const std::string& bannerFile);

// The brand's application icon, beside the brand settings file.
inline constexpr char kIconFile[] = "main.ico";

// Every picture of the application icon in `path`, each read once. Raises
// UUtils::AppError when the file holds none the program can read.
std::vector<QImage> DecodeIcon(const std::string& path);

// Raises UUtils::AppError unless `path` is a plain file: a pipe or a device
// in a brand file's place would hold the reader up. `what` names the file
// in the message ("The banner picture").
void RequirePlainFile(const std::string& path, const std::string& what);

}  // namespace brand
