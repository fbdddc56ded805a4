#include "TextLines.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "AppError.h"

namespace UUtils {

StringList SplitLines(std::string_view text) {
  const auto nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  StringList lines;
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

std::string JoinLines(const StringList& lines) {
  std::string text;
  for (const auto& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

std::string ReadFileBytes(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) ThrowCannotOpen(path, errno);
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      ::close(fd);
      ThrowCannotOpen(path, error);
    }
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return bytes;
}

namespace {

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t put = ::write(fd, bytes.data(), bytes.size());
    if (put < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(put));
  }
  return true;
}

// The file that a write to `path` must replace: a link's target, not the link.
std::string ResolvedTarget(const std::string& path) {
  std::error_code error;
  if (std::filesystem::is_symlink(path, error)) {
    const auto target = std::filesystem::canonical(path, error);
    if (!error) return target.string();
  }
  return path;
}

}  // namespace

void WriteFileBytes(const std::string& path, std::string_view bytes) {
  const std::string target = ResolvedTarget(path);
  std::string temp = target + ".XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) ThrowCannotCreate(path, errno);

  // Keep the permissions of the file being replaced, or the usual ones of a
  // new file.
  struct stat existing {};
  mode_t mode;
  if (::stat(target.c_str(), &existing) == 0) {
    mode = existing.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }

  const bool ok = WriteAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
  const int error = errno;
  if (::close(fd) != 0 || !ok) {
    ::unlink(temp.c_str());
    ThrowCannotCreate(path, ok ? errno : error);
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    const int renameError = errno;
    ::unlink(temp.c_str());
    ThrowCannotCreate(path, renameError);
  }
}

StringList ReadLines(const std::string& path) { return SplitLines(ReadFileBytes(path)); }

void WriteLines(const std::string& path, const StringList& lines) {
  WriteFileBytes(path, JoinLines(lines));
}

}  // namespace UUtils
