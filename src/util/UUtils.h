#pragma once

// The program's shared routines.
#include "AppError.h"
#include "AppFolder.h"
#include "CipherFiles.h"
#include "SplitString.h"
#include "TextLines.h"
