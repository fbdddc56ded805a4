#include "util/AppError.h"

#include <cstring>

namespace UUtils {

namespace {

std::string Reason(int error) {
  std::string text = std::strerror(error);
  if (!text.empty() && text.back() != '.') text += '.';
  return text;
}

}  // namespace

void ThrowCannotOpen(const std::string& path, int error) {
  throw AppError("Cannot open file \"" + path + "\". " + Reason(error));
}

void ThrowCannotCreate(const std::string& path, int error) {
  throw AppError("Cannot create file \"" + path + "\". " + Reason(error));
}

}  // namespace UUtils
