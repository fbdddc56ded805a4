#pragma once

#include <string>

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

}  // namespace brand
