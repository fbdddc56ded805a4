#pragma once

#include <string>

namespace preview {

// A new folder under the system's temporary folder for the preview page,
// removed with everything in it when the object goes.
class PreviewFolder {
 public:
  PreviewFolder();  // throws AppError when no folder can be made
  ~PreviewFolder();
  PreviewFolder(const PreviewFolder&) = delete;
  PreviewFolder& operator=(const PreviewFolder&) = delete;

  // Where the preview page goes: preview.html in the folder.
  std::string PagePath() const;

 private:
  std::string path_;
};

}  // namespace preview
