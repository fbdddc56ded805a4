#pragma once

#include <string>

#include "util/FileStream.h"

namespace UUtils {

// A temporary file beside `path` that replaces it on Commit() and is removed
// otherwise, so `path` is never left half written. Keeps the permissions of
// the file it replaces and follows a symbolic link to its target.
class ReplacementFile {
 public:
  explicit ReplacementFile(const std::string& path);  // throws "Cannot create file ..."
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  FileStream& Stream() { return stream_; }
  // Throws "Cannot create file ..." when the data cannot be made durable.
  void Commit();

 private:
  std::string path_;
  std::string target_;
  std::string temp_;
  FileStream stream_;
  bool committed_ = false;
};

}  // namespace UUtils
