#include "BrandProfile.h"

TBrandProfile BrandProfile;
