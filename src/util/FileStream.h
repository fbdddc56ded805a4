#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace UUtils {

// An open file, which it closes. Reads fill the request unless the file ends
// or fails; writes return the count written, short on failure. Error() keeps
// the errno of the last failure, 0 while there was none.
class FileStream {
 public:
  // Opens for reading; other processes may go on reading and writing the file.
  // Throws "Cannot open file ...".
  static FileStream OpenForReading(const std::string& path);
  // Opens a regular file for reading. Anything else (a folder, a pipe, a
  // device) is refused at once with "Cannot open file ...": the open never
  // waits for a pipe's writer or a device.
  static FileStream OpenRegularForReading(const std::string& path);
  // A new file, or an existing one cut to length 0, held with an exclusive
  // lock while it is written. Throws "Cannot create file ...".
  static FileStream CreateExclusive(const std::string& path);

  explicit FileStream(int fd) : fd_(fd) {}
  FileStream(FileStream&& other) noexcept;
  FileStream& operator=(FileStream&&) = delete;
  ~FileStream();

  std::size_t Read(std::uint8_t* data, std::size_t n);
  std::size_t Write(const std::uint8_t* data, std::size_t n);
  // The file's length, -1 when it cannot be told.
  std::int64_t Size();

  int Error() const { return error_; }
  int Descriptor() const { return fd_; }

 private:
  int fd_;
  int error_ = 0;
};

// After a stream operation that failed: a failed read raises "Cannot open
// file <source>", a failed write "Cannot create file <target>". Nothing is
// raised when both sides worked (the data itself was refused).
void ThrowFileErrors(const std::string& source, const FileStream& in, const std::string& target,
                     const FileStream& out);

}  // namespace UUtils
