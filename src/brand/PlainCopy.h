#pragma once

#include <string>

namespace brand {

// The plain copy "dbsettings.sim" of the brand file for one operation: it is
// removed when the operation ends, also when it fails.
class PlainCopy {
 public:
  explicit PlainCopy(const std::string& folder);
  ~PlainCopy();
  PlainCopy(const PlainCopy&) = delete;
  PlainCopy& operator=(const PlainCopy&) = delete;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace brand
