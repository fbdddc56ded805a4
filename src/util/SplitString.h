#pragma once

#include <string>
#include <vector>

namespace UUtils {

using StringList = std::vector<std::string>;

// Clears `list`, then appends the pieces of `text` between separators. Every
// separator closes a piece, empty or not; a non-empty rest closes the last.
void SplitString(char separator, const std::string& text, StringList& list);

}  // namespace UUtils
