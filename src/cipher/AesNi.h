#pragma once

// The AES instruction path; only called when HardwareAesActive().
#include "cipher/Aes.h"

namespace AesLib {

void AesNiEncryptBlock(const std::uint8_t in[16], std::uint8_t out[16],
                       const AesKeySchedule& schedule);
void AesNiCtrBlocks(const AesKeySchedule& schedule, std::uint8_t counter[16],
                    const std::uint8_t* in, std::uint8_t* out, std::size_t blocks,
                    std::uint8_t lastKeystream[16]);

}  // namespace AesLib
