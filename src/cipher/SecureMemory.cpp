#include "cipher/SecureMemory.h"

#include <cstdint>
#include <cstring>

namespace AesLib {

void SecureWipe(void* data, std::size_t size) {
  std::memset(data, 0, size);
  // The compiler must assume the zeroes are read here, so it keeps the
  // stores even when the object dies right after.
  asm volatile("" : : "r"(data) : "memory");
}

bool ConstantTimeEqual(const void* a, const void* b, std::size_t size) {
  const auto* x = static_cast<const volatile std::uint8_t*>(a);
  const auto* y = static_cast<const volatile std::uint8_t*>(b);
  std::uint8_t difference = 0;
  for (std::size_t i = 0; i < size; ++i) difference |= x[i] ^ y[i];
  return difference == 0;
}

}  // namespace AesLib
