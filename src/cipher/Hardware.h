#pragma once

namespace AesLib {

// Whether the CPU's AES and SHA instructions are used. Both are detected once
// at start-up; SetHardwareEnabled(false) forces the portable code (tests run
// every vector through both paths).
bool HardwareAesActive();
bool HardwareShaActive();
bool HardwareAesAvailable();
bool HardwareShaAvailable();
void SetHardwareEnabled(bool enabled);

}  // namespace AesLib
