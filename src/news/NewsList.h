#pragma once

#include <memory>

#include "util/SplitString.h"

namespace news {

// The raw entries of the last news list, created with the main window and
// freed with it.
extern std::unique_ptr<UUtils::StringList> NewsList;

}  // namespace news
