#pragma once

#include <string>

namespace cli {

// tolvan brand check FILE [--plain]: what the brand in FILE will do.
// Returns 0 when nothing would go wrong, 1 otherwise.
int RunBrandCheck(const std::string& file, bool plain);

}  // namespace cli
