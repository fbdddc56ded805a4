#include "util/ReplacementFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "util/AppError.h"

namespace UUtils {

namespace {

namespace fs = std::filesystem;

// As many links in a row as the system follows.
constexpr int kMaxLinks = 40;

// The file a path names once symbolic links are followed, also when the last
// link names no file yet: a write creates the file there.
std::string FollowLinks(const std::string& path) {
  fs::path at = path;
  std::error_code error;
  for (int i = 0; i < kMaxLinks && fs::is_symlink(at, error); ++i) {
    const fs::path to = fs::read_symlink(at, error);
    if (error) break;
    at = to.is_absolute() ? to : at.parent_path() / to;
  }
  return at.string();
}

// A new file beside `target`, open for writing and created with `mode` less
// the umask; its name goes to `temp`. -1 with errno set when none can be made.
int CreateBeside(const std::string& target, std::string& temp, mode_t mode) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    unsigned char random[6];
    if (::getrandom(random, sizeof random, 0) != sizeof random) return -1;
    temp = target + '.';
    for (const unsigned char r : random) temp += kLetters[r % 36];
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// A temporary file beside `target` with the owner, group and mode of `old`, or
// -1 when the process may not make one so (nothing is left behind then).
int CreateLike(const std::string& target, std::string& temp, const struct stat& old) {
  const int fd = CreateBeside(target, temp, 0600);
  if (fd < 0) return -1;
  struct stat made {};
  const auto same = [&] {
    return made.st_uid == old.st_uid && made.st_gid == old.st_gid &&
           (made.st_mode & 07777) == (old.st_mode & 07777);
  };
  // The owner first: changing it may clear the set-id bits of the mode.
  if (::fstat(fd, &made) == 0 &&
      ((made.st_uid == old.st_uid && made.st_gid == old.st_gid) ||
       ::fchown(fd, old.st_uid, old.st_gid) == 0) &&
      ::fchmod(fd, old.st_mode & 07777) == 0 && ::fstat(fd, &made) == 0 && same()) {
    return fd;
  }
  ::close(fd);
  ::unlink(temp.c_str());
  return -1;
}

// Extended attributes (access lists among them) would not pass to a new file.
bool HasExtendedAttributes(int fd) { return ::flistxattr(fd, nullptr, 0) > 0; }

int MemoryBuffer(const std::string& path) {
  const int fd = ::memfd_create("replacement", MFD_CLOEXEC);
  if (fd < 0) ThrowCannotCreate(path, errno);
  return fd;
}

// Makes a completed rename durable; a folder that cannot be flushed is left so.
void SyncFolderOf(const std::string& target) {
  const fs::path folder = fs::path(target).parent_path();
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

struct ReplacementFile::Plan {
  Way way;
  std::string target;
  std::string temp;
  FileStream targetFile;
  FileStream stream;
};

ReplacementFile::Plan ReplacementFile::MakePlan(const std::string& path, Readers readers) {
  const std::string target = FollowLinks(path);
  const bool ownerOnly = readers == Readers::OwnerOnly;
  std::string temp;
  struct stat info {};
  if (::stat(target.c_str(), &info) != 0) {
    if (errno != ENOENT) ThrowCannotCreate(path, errno);
    const int fd = CreateBeside(target, temp, ownerOnly ? 0600 : 0666);
    if (fd < 0) ThrowCannotCreate(path, errno);
    return Plan{Way::Replace, target, temp, FileStream(-1), FileStream(fd)};
  }
  // What a write in place would open: when that is refused, so is the write. A
  // pipe waits here for its reader, as it would for any writer.
  const int flags = O_WRONLY | O_CLOEXEC | O_NOCTTY | (S_ISREG(info.st_mode) ? O_NONBLOCK : 0);
  const int fd = ::open(target.c_str(), flags);
  if (fd < 0) ThrowCannotCreate(path, errno);
  FileStream targetFile(fd);
  if (::fstat(fd, &info) != 0) ThrowCannotCreate(path, errno);
  const bool regular = S_ISREG(info.st_mode);
  if (regular && ownerOnly && (info.st_mode & 077) != 0) {
    info.st_mode &= ~static_cast<mode_t>(077);
    ::fchmod(fd, info.st_mode & 07777);  // kept for a write in place
  }
  if (regular && info.st_nlink == 1 && !HasExtendedAttributes(fd)) {
    const int tempFd = CreateLike(target, temp, info);
    if (tempFd >= 0) return Plan{Way::Replace, target, temp, FileStream(-1), FileStream(tempFd)};
  }
  FileStream buffer(MemoryBuffer(path));
  return Plan{regular ? Way::InPlace : Way::Direct, target, "", std::move(targetFile),
              std::move(buffer)};
}

ReplacementFile::ReplacementFile(const std::string& path, Readers readers)
    : ReplacementFile(path, MakePlan(path, readers)) {}

ReplacementFile::ReplacementFile(const std::string& path, Plan plan)
    : path_(path),
      target_(std::move(plan.target)),
      way_(plan.way),
      temp_(std::move(plan.temp)),
      targetFile_(std::move(plan.targetFile)),
      stream_(std::move(plan.stream)) {}

ReplacementFile::~ReplacementFile() {
  if (way_ == Way::Replace && !committed_) ::unlink(temp_.c_str());
}

void ReplacementFile::Commit() {
  if (stream_.Error() != 0) ThrowCannotCreate(path_, stream_.Error());
  switch (way_) {
    case Way::Replace:
      CommitReplacement();
      break;
    case Way::InPlace:
      CommitInPlace();
      break;
    case Way::Direct: {
      struct stat buffered {};
      if (::fstat(stream_.Descriptor(), &buffered) != 0 ||
          !CopyBuffered(0, buffered.st_size, false)) {
        ThrowCannotCreate(path_, errno);
      }
      break;
    }
  }
  committed_ = true;
}

void ReplacementFile::CommitReplacement() {
  if (::fsync(stream_.Descriptor()) != 0) ThrowCannotCreate(path_, errno);
  if (::rename(temp_.c_str(), target_.c_str()) != 0) ThrowCannotCreate(path_, errno);
  SyncFolderOf(target_);
}

void ReplacementFile::CommitInPlace() {
  const int fd = targetFile_.Descriptor();
  struct stat old {
  }, buffered{};
  if (::fstat(fd, &old) != 0 || ::fstat(stream_.Descriptor(), &buffered) != 0) {
    ThrowCannotCreate(path_, errno);
  }
  const std::int64_t oldSize = old.st_size;
  const std::int64_t newSize = buffered.st_size;
  // What grows past the old end first: a full disk or a size limit stops the
  // write there, and the old bytes are still all there.
  if (newSize > oldSize && !CopyBuffered(oldSize, newSize, true)) {
    const int error = errno;
    if (::ftruncate(fd, oldSize) != 0) ThrowCannotCreate(path_, errno);
    ThrowCannotCreate(path_, error);
  }
  if (!CopyBuffered(0, std::min(oldSize, newSize), true) ||
      (newSize < oldSize && ::ftruncate(fd, newSize) != 0) || ::fsync(fd) != 0) {
    ThrowCannotCreate(path_, errno);
  }
}

// Copies bytes [from, to) of the buffered data to the target: at the same
// offsets, or at the target's current position for a pipe or a device. False
// with errno set on failure.
bool ReplacementFile::CopyBuffered(std::int64_t from, std::int64_t to, bool positioned) {
  const int in = stream_.Descriptor();
  const int out = targetFile_.Descriptor();
  char block[65536];
  while (from < to) {
    const auto want = static_cast<std::size_t>(std::min<std::int64_t>(sizeof block, to - from));
    const ssize_t got = ::pread(in, block, want, from);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      if (got == 0) errno = EIO;
      return false;
    }
    for (ssize_t done = 0; done < got;) {
      const auto rest = static_cast<std::size_t>(got - done);
      const ssize_t put = positioned ? ::pwrite(out, block + done, rest, from + done)
                                     : ::write(out, block + done, rest);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) {
        if (put == 0) errno = ENOSPC;
        return false;
      }
      done += put;
    }
    from += got;
  }
  return true;
}

}  // namespace UUtils
