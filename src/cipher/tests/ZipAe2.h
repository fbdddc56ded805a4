#pragma once

// Test-only ZIP framing around a container: the container's bytes are those
// of a stored ZIP entry with AES encryption version 2 (method 99, extra field
// 0x9901), so independent archivers can check our output and we theirs.
#include <string>

#include "cipher/tests/CipherTestSupport.h"

// A one-entry archive holding `container` as entry `name`; the key strength
// (1 to 3) is the container's mode.
Bytes WrapAsZip(const std::string& name, const Bytes& container, std::size_t plainSize, int mode);

struct ZipAesEntry {
  Bytes container;
  int strength = 0;
  int actualMethod = -1;
};

// The first entry of an archive, which must be AES encrypted; throws
// std::runtime_error for anything else.
ZipAesEntry UnwrapFirstEntry(const Bytes& zip);
