#include "news/NewsList.h"

namespace news {

std::unique_ptr<UUtils::StringList> NewsList;

}  // namespace news
