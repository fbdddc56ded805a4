#pragma once

// The settings cipher: AES, SHA-1, HMAC-SHA1, PBKDF2, the random pool, the
// container primitives and the stream classes.
#include "Aes.h"
#include "ByteStream.h"
#include "Crypt.h"
#include "FileCipher.h"
#include "Hardware.h"
#include "Hmac.h"
#include "Pbkdf2.h"
#include "RandomPool.h"
#include "SecureMemory.h"
#include "Sha1.h"
