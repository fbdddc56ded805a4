#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "testsupport/TempFolder.h"
#include "brand/BrandFileCipher.h"
#include "util/TextLines.h"

namespace brandtest {

// A program folder with a brand file made from a plain document, the way a
// reseller makes one.
class BrandFolder {
 public:
  // The folder with a trailing separator, as the program's folder is named.
  std::string Folder() const { return folder_.Root().string() + "/"; }
  std::string Path(const std::string& name) const { return folder_.Path(name); }

  void WriteBrand(const std::string& plain) {
    UUtils::WriteFileBytes(Path("plain.txt"), plain);
    brand::EncryptToFile(Path("plain.txt"), Path("dbsettings.dat"));
    std::filesystem::remove(Path("plain.txt"));
  }

  std::string ReadBrand() const { return brand::DecryptFile(Path("dbsettings.dat")); }

  // The names in the folder, sorted.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(folder_.Root())) {
      names.push_back(item.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  testsupport::TempFolder folder_;
};

}  // namespace brandtest
