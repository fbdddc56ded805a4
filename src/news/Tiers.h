#pragma once

#include <optional>
#include <string>

namespace news {

// What every news request of the brand carries: the publisher id of its
// tier, its product code and its tier code.
struct Publisher {
  std::string publisherId;  // field "memusername"
  std::string productCode;  // field "prodcode"
  std::string tierCode;     // field "prodtype"
};

// The brand's row of the tier table ("Master", "Platinum", "Gold", exact
// case); nothing for any other tier or an empty publisher id.
std::optional<Publisher> BrandPublisher();

// The brand's news base URL for a tier code ("BM", "BP", "BG"); empty for
// any other.
std::string NewsBaseUrl(const std::string& tierCode);

}  // namespace news
