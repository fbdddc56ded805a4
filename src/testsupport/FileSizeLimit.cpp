#include "testsupport/FileSizeLimit.h"

#include <signal.h>

namespace testsupport {

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
  ::signal(SIGXFSZ, SIG_IGN);
  ::getrlimit(RLIMIT_FSIZE, &saved_);
  rlimit tiny = saved_;
  tiny.rlim_cur = bytes;
  ::setrlimit(RLIMIT_FSIZE, &tiny);
}

FileSizeLimit::~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &saved_); }

}  // namespace testsupport
