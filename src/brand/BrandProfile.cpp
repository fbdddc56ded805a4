#include "brand/BrandProfile.h"

namespace brand {

TBrandProfile BrandProfile;

}  // namespace brand
