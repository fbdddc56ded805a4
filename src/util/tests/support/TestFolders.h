#pragma once

#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <filesystem>
#include <string>

// Helpers shared by the tests of every library.
namespace testing_support {

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tolvan-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Root() const { return path_; }
  std::string Path(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// While it lives, no file of the process can grow beyond `bytes`: writes past
// that fail as they would on a full disk, even for root.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit tiny = saved_;
    tiny.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &tiny);
  }
  ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &saved_); }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
};

}  // namespace testing_support
