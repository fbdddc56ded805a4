#include "util/AppFolder.h"

#include <filesystem>

namespace UUtils {

std::string AppFolder() {
  std::error_code error;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return "./";
  std::string folder = exe.parent_path().string();
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace UUtils
