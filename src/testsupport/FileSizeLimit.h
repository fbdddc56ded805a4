#pragma once

#include <sys/resource.h>

namespace testsupport {

// While it lives, no file of the process can grow beyond `bytes`: writes past
// that fail as they would on a full disk, even for root.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes);
  ~FileSizeLimit();
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
};

}  // namespace testsupport
