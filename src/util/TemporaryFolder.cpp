#include "util/TemporaryFolder.h"

#include <stdlib.h>

#include <cerrno>
#include <cstring>

#include "util/AppError.h"

namespace UUtils {

namespace fs = std::filesystem;

TemporaryFolder::TemporaryFolder(const std::string& prefix, const std::string& purpose,
                                 const fs::path& parent) {
  std::error_code error;
  const fs::path under = parent.empty() ? fs::temp_directory_path(error) : parent;
  if (error) throw AppError("No temporary folder " + purpose + ". " + error.message() + ".");
  std::string pattern = (under / (prefix + "XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw AppError("Cannot make a folder " + purpose + " in \"" + under.string() + "\". " +
                   std::strerror(errno) + ".");
  }
  path_ = pattern;
}

TemporaryFolder::~TemporaryFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

}  // namespace UUtils
