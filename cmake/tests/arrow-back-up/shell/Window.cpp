#include "util/Helper.h"
