#include "preview/PreviewFolder.h"

#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "util/AppError.h"

namespace preview {

PreviewFolder::PreviewFolder() {
  std::error_code error;
  std::string pattern =
      (std::filesystem::temp_directory_path(error) / "hurrex-preview-XXXXXX").string();
  if (error || ::mkdtemp(pattern.data()) == nullptr) {
    throw UUtils::AppError("Cannot make a folder for the preview in " + pattern + ". " +
                           (error ? error.message() : std::strerror(errno)));
  }
  path_ = pattern;
}

PreviewFolder::~PreviewFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string PreviewFolder::PagePath() const { return path_ + "/preview.html"; }

}  // namespace preview
