#pragma once

#include <stdexcept>
#include <string>

namespace UUtils {

// An error that no operation handles: it leaves the running event handler and
// is shown to the user by the application's error reporter.
class AppError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "Cannot open file "<path>". <reason>" for the current errno.
[[noreturn]] void ThrowCannotOpen(const std::string& path, int error);
// "Cannot create file "<path>". <reason>" for the current errno.
[[noreturn]] void ThrowCannotCreate(const std::string& path, int error);

}  // namespace UUtils
