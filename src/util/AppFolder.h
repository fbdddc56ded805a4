#pragma once

#include <string>

namespace UUtils {

// The folder of the running executable, with a trailing '/'. Files the
// program keeps beside itself are AppFolder() + name; the working directory
// is never used for them.
std::string AppFolder();

}  // namespace UUtils
