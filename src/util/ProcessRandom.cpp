#include "util/ProcessRandom.h"

#include <chrono>

namespace UUtils::ProcessRandom {

namespace {
std::uint32_t g_state = 0;
}

std::uint32_t Draw(std::uint32_t bound) {
  g_state = g_state * 134775813u + 1u;
  return static_cast<std::uint32_t>((std::uint64_t{g_state} * bound) >> 32);
}

void Seed() {
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch();
  g_state = static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::nanoseconds>(ticks).count());
}

std::uint32_t State() { return g_state; }

void SetState(std::uint32_t state) { g_state = state; }

}  // namespace UUtils::ProcessRandom
