#pragma once

// The settings cipher: AES, SHA-1, HMAC-SHA1, PBKDF2, the random pool, the
// container primitives and the stream classes.
#include "cipher/Aes.h"
#include "cipher/ByteStream.h"
#include "cipher/Crypt.h"
#include "cipher/FileCipher.h"
#include "cipher/Hardware.h"
#include "cipher/Hmac.h"
#include "cipher/Pbkdf2.h"
#include "cipher/RandomPool.h"
#include "cipher/SecureMemory.h"
#include "cipher/Sha1.h"
