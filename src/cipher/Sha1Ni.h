#pragma once

// The SHA instruction path; only called when HardwareShaActive().
#include <cstddef>
#include <cstdint>

namespace AesLib {

void Sha1NiCompressBlocks(std::uint32_t h[5], const std::uint8_t* data, std::size_t blocks);

}  // namespace AesLib
