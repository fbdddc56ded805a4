#include "util/NewsList.h"

namespace UUtils {

std::unique_ptr<StringList> NewsList;

}  // namespace UUtils
