#pragma once

#include <filesystem>
#include <string>

namespace UUtils {

// A fresh folder, named `prefix` and six random characters, under `parent` (none: the system's
// temporary folder, $TMPDIR or /tmp), removed with everything in it when the object goes.
class TemporaryFolder {
 public:
  // `purpose` ends the error's first sentence ("Cannot make a folder for the preview ...").
  // Throws AppError when no folder can be made.
  TemporaryFolder(const std::string& prefix, const std::string& purpose,
                  const std::filesystem::path& parent = {});
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace UUtils
