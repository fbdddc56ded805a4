#pragma once

// The program's shared routines.
#include "util/AppError.h"
#include "util/AppFolder.h"
#include "util/DecodeHexEscapes.h"
#include "util/SplitString.h"
#include "util/TextLines.h"
