#include "testsupport/TempFolder.h"

#include <stdlib.h>

#include <stdexcept>

namespace testsupport {

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tolvan-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make " + pattern);
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace testsupport
