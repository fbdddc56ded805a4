#include "util/TextLines.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "util/AppError.h"
#include "util/FileStream.h"
#include "util/ReplacementFile.h"

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

void WriteFileBytes(const std::string& path, std::string_view bytes,
                    ReplacementFile::Readers readers) {
  ReplacementFile file(path, readers);
  FileStream& stream = file.Stream();
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  if (stream.Write(data, bytes.size()) != bytes.size()) ThrowCannotCreate(path, stream.Error());
  file.Commit();
}

StringList ReadLines(const std::string& path) { return SplitLines(ReadFileBytes(path)); }

void WriteLines(const std::string& path, const StringList& lines,
                ReplacementFile::Readers readers) {
  WriteFileBytes(path, JoinLines(lines), readers);
}

}  // namespace UUtils
