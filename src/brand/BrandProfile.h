#pragma once

#include <string>

namespace brand {

// The reseller's brand texts, filled once while the main window is created
// and only read afterwards. Every field is empty when the brand lacks it.
struct TBrandProfile {
  std::string WelcomePage;  // HTML source of the welcome page
};

extern TBrandProfile BrandProfile;

}  // namespace brand
