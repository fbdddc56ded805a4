#pragma once

#include <optional>
#include <string>

namespace testsupport {

// Sets an environment variable of this process for one test (none: unset)
// and puts the old value back when it goes.
class Environment {
 public:
  Environment(const char* name, std::optional<std::string> value);
  ~Environment();
  Environment(const Environment&) = delete;
  Environment& operator=(const Environment&) = delete;

 private:
  void Set(const std::optional<std::string>& value);

  const char* name_;
  std::optional<std::string> old_;
};

}  // namespace testsupport
