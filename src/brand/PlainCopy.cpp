#include "brand/PlainCopy.h"

#include <unistd.h>

#include "brand/BrandDocument.h"

namespace brand {

PlainCopy::PlainCopy(const std::string& folder) : path_(folder + kPlainCopy) {}

// unlink, not a recursive removal: a folder that happens to bear the name
// is never emptied.
PlainCopy::~PlainCopy() { ::unlink(path_.c_str()); }

}  // namespace brand
