#pragma once

#include <memory>

#include "util/SplitString.h"

namespace UUtils {

// The raw news entries, created with the main window and freed with it.
extern std::unique_ptr<StringList> NewsList;

}  // namespace UUtils
