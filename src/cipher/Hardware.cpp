#include "cipher/Hardware.h"

#include <atomic>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace AesLib {

namespace {

struct CpuFeatures {
  bool aes = false;
  bool sha = false;
};

CpuFeatures Detect() {
  CpuFeatures features;
#if defined(__x86_64__) || defined(__i386__)
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (__get_cpuid(1, &a, &b, &c, &d)) {
    const bool ssse3 = c & (1u << 9);
    const bool sse41 = c & (1u << 19);
    features.aes = sse41 && (c & (1u << 25));
    if (ssse3 && sse41 && __get_cpuid_count(7, 0, &a, &b, &c, &d)) features.sha = b & (1u << 29);
  }
#endif
  return features;
}

const CpuFeatures& Available() {
  static const CpuFeatures features = Detect();
  return features;
}

std::atomic<bool> enabled{true};

}  // namespace

bool HardwareAesAvailable() { return Available().aes; }
bool HardwareShaAvailable() { return Available().sha; }
bool HardwareAesActive() { return enabled.load(std::memory_order_relaxed) && Available().aes; }
bool HardwareShaActive() { return enabled.load(std::memory_order_relaxed) && Available().sha; }
void SetHardwareEnabled(bool on) { enabled.store(on, std::memory_order_relaxed); }

}  // namespace AesLib
