#pragma once

#include <string>
#include <vector>

#include "util/SplitString.h"

namespace brand {

// What a reseller learns about a brand document before shipping it: one line
// per finding, in the order the program reads the document.
struct Finding {
  enum class Kind { Found, Missing, Note, Problem };
  Kind kind;
  std::string text;
};

// Reads `lines` as the window does and reports every tag found or missing,
// tags the reading never sees (out of order, repeated, numbered after a gap
// or beyond 16), entries without an address, banner pictures missing from
// `folder` or in a format the program cannot show, values that cannot work
// as addresses, and whether the News button shows and why. The banner
// pictures, the icon and the skin in `folder` are read as the window reads
// them; each one the window would stop at is a problem.
std::vector<Finding> CheckBrandDocument(const UUtils::StringList& lines, const std::string& folder);

}  // namespace brand
