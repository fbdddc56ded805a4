#include "testsupport/Environment.h"

#include <cstdlib>

namespace testsupport {

Environment::Environment(const char* name, std::optional<std::string> value) : name_(name) {
  if (const char* old = std::getenv(name)) old_ = old;
  Set(value);
}

Environment::~Environment() { Set(old_); }

void Environment::Set(const std::optional<std::string>& value) {
  if (value) {
    ::setenv(name_, value->c_str(), 1);
  } else {
    ::unsetenv(name_);
  }
}

}  // namespace testsupport
