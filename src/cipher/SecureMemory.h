#pragma once

#include <cstddef>

namespace AesLib {

// Overwrites `size` bytes with zeros in a way the optimiser cannot drop.
void SecureWipe(void* data, std::size_t size);

// Compares two byte areas in time that depends only on `size`.
bool ConstantTimeEqual(const void* a, const void* b, std::size_t size);

}  // namespace AesLib
