#pragma once

#include <cstdint>
#include <string>

#include "util/FileStream.h"

namespace UUtils {

// Writes a whole file so that it is never left half written and never ends up
// other than a plain write in place would leave it. Symbolic links are
// followed to the file they name. What is written to Stream() reaches the
// target only on Commit(); without it the target stays as it was.
//
// A regular file that the process may write is normally replaced: the data
// goes to a temporary file beside it that takes the old file's owner, group
// and mode and then takes its place. It is written in place instead when that
// cannot keep what it replaces: the process may not give the temporary file
// the old owner or group, the folder takes no new file, the file has more
// than one name (hard links) or carries extended attributes (such as access
// lists). A target that is not a regular file (a pipe, a device) is written
// directly. A target that a write in place could not open, read-only or not,
// is refused at once with "Cannot create file ...".
//
// In place, the data waits in memory until Commit(), which first writes what
// goes past the old end (a full disk or a size limit is met there, and the old
// file is restored to its length) and then the rest over the old bytes, and
// flushes it to disk. Only a crash or an I/O error during that second step
// can leave the file part old, part new.
//
// A file that holds a secret is written for its owner alone: a new one is
// made readable by its owner only, and an old one loses the group's and
// others' permissions (where the process may change them).
class ReplacementFile {
 public:
  enum class Readers { AsBefore, OwnerOnly };

  // Throws "Cannot create file ...".
  explicit ReplacementFile(const std::string& path, Readers readers = Readers::AsBefore);
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  FileStream& Stream() { return stream_; }
  // Throws "Cannot create file ..." when the data cannot be written in full
  // and made durable.
  void Commit();

 private:
  enum class Way { Replace, InPlace, Direct };
  struct Plan;
  static Plan MakePlan(const std::string& path, Readers readers);
  ReplacementFile(const std::string& path, Plan plan);

  void CommitReplacement();
  void CommitInPlace();
  bool CopyBuffered(std::int64_t from, std::int64_t to, bool positioned);

  std::string path_;
  std::string target_;
  Way way_;
  std::string temp_;       // Replace: the temporary file beside the target
  FileStream targetFile_;  // InPlace, Direct: the target, open for writing
  FileStream stream_;      // Replace: the temporary file; else the data in memory
  bool committed_ = false;
};

}  // namespace UUtils
