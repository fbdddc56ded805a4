#include "util/FileStream.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "util/AppError.h"

namespace UUtils {

FileStream FileStream::OpenForReading(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) ThrowCannotOpen(path, errno);
  return FileStream(fd);
}

FileStream FileStream::OpenRegularForReading(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) ThrowCannotOpen(path, errno);
  FileStream stream(fd);
  struct stat info {};
  if (::fstat(fd, &info) != 0) ThrowCannotOpen(path, errno);
  if (!S_ISREG(info.st_mode)) {
    throw AppError("Cannot open file \"" + path +
                   "\". It is not a regular file (a folder, a pipe or a device).");
  }
  // Reads of a regular file never wait anyway; blocking reads keep the usual
  // meaning of a short count.
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return stream;
}

FileStream FileStream::CreateExclusive(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) ThrowCannotCreate(path, errno);
  FileStream stream(fd);
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) ThrowCannotCreate(path, errno);
  // Devices such as /dev/null cannot be cut; only regular files need it.
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::ftruncate(fd, 0) != 0) {
    ThrowCannotCreate(path, errno);
  }
  return stream;
}

FileStream::FileStream(FileStream&& other) noexcept : fd_(other.fd_), error_(other.error_) {
  other.fd_ = -1;
}

FileStream::~FileStream() {
  if (fd_ >= 0) ::close(fd_);
}

std::size_t FileStream::Read(std::uint8_t* data, std::size_t n) {
  std::size_t done = 0;
  while (done < n) {
    const ssize_t got = ::read(fd_, data + done, n - done);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      error_ = errno;
      break;
    }
    done += static_cast<std::size_t>(got);
  }
  return done;
}

std::size_t FileStream::Write(const std::uint8_t* data, std::size_t n) {
  std::size_t done = 0;
  while (done < n) {
    const ssize_t put = ::write(fd_, data + done, n - done);
    if (put <= 0) {
      if (put < 0 && errno == EINTR) continue;
      error_ = put < 0 ? errno : ENOSPC;
      break;
    }
    done += static_cast<std::size_t>(put);
  }
  return done;
}

std::int64_t FileStream::Size() {
  struct stat info {};
  if (::fstat(fd_, &info) != 0) {
    error_ = errno;
    return -1;
  }
  return info.st_size;
}

void ThrowFileErrors(const std::string& source, const FileStream& in, const std::string& target,
                     const FileStream& out) {
  if (in.Error() != 0) ThrowCannotOpen(source, in.Error());
  if (out.Error() != 0) ThrowCannotCreate(target, out.Error());
}

}  // namespace UUtils
