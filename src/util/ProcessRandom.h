#pragma once

#include <cstdint>

// The one pseudo-random generator of the process: a 32-bit linear
// congruential generator whose state is 0 when the process starts.
namespace UUtils::ProcessRandom {

// Advances the state and returns a number from 0 to bound - 1.
std::uint32_t Draw(std::uint32_t bound);
// Sets the state to the low 32 bits of a monotonic nanosecond clock.
void Seed();
std::uint32_t State();
void SetState(std::uint32_t state);

}  // namespace UUtils::ProcessRandom
