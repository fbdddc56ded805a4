#include "util/ReplacementFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "util/AppError.h"

namespace UUtils {

namespace {

std::string ResolvedTarget(const std::string& path) {
  std::error_code error;
  if (std::filesystem::is_symlink(path, error)) {
    const auto target = std::filesystem::canonical(path, error);
    if (!error) return target.string();
  }
  return path;
}

int MakeTemp(std::string& temp, const std::string& path) {
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) ThrowCannotCreate(path, errno);
  return fd;
}

}  // namespace

ReplacementFile::ReplacementFile(const std::string& path)
    : path_(path),
      target_(ResolvedTarget(path)),
      temp_(target_ + ".XXXXXX"),
      stream_(MakeTemp(temp_, path)) {}

ReplacementFile::~ReplacementFile() {
  if (!committed_) ::unlink(temp_.c_str());
}

void ReplacementFile::Commit() {
  struct stat existing {};
  mode_t mode;
  if (::stat(target_.c_str(), &existing) == 0) {
    mode = existing.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  const int fd = stream_.Descriptor();
  if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) ThrowCannotCreate(path_, errno);
  if (::rename(temp_.c_str(), target_.c_str()) != 0) ThrowCannotCreate(path_, errno);
  committed_ = true;
}

}  // namespace UUtils
