#include "cipher/Pbkdf2.h"

#include <algorithm>
#include <cstring>

#include "cipher/Hmac.h"
#include "cipher/SecureMemory.h"

namespace AesLib {

namespace {

// The chaining words of SHA-1 after the inner and after the outer pad block:
// with them each further HMAC of a 20-byte value costs two compressions.
struct PadStates {
  std::uint32_t inner[5];
  std::uint32_t outer[5];
};

// The last block of a SHA-1 over one pad block and 20 more bytes.
void PrepareDigestBlock(std::uint8_t block[64]) {
  std::memset(block, 0, 64);
  block[kSha1DigestSize] = 0x80;
  constexpr std::uint32_t kBits = (kSha1BlockSize + kSha1DigestSize) * 8;
  block[62] = static_cast<std::uint8_t>(kBits >> 8);
  block[63] = static_cast<std::uint8_t>(kBits);
}

void StoreDigest(const std::uint32_t h[5], std::uint8_t* out) {
  for (int i = 0; i < 5; ++i) {
    out[4 * i] = static_cast<std::uint8_t>(h[i] >> 24);
    out[4 * i + 1] = static_cast<std::uint8_t>(h[i] >> 16);
    out[4 * i + 2] = static_cast<std::uint8_t>(h[i] >> 8);
    out[4 * i + 3] = static_cast<std::uint8_t>(h[i]);
  }
}

// u := HMAC(password, u), in place; `block` comes from PrepareDigestBlock.
void HmacOfDigest(const PadStates& pads, std::uint8_t block[64]) {
  std::uint32_t h[5];
  std::memcpy(h, pads.inner, sizeof h);
  Sha1CompressBlocks(h, block, 1);
  StoreDigest(h, block);
  std::memcpy(h, pads.outer, sizeof h);
  Sha1CompressBlocks(h, block, 1);
  StoreDigest(h, block);
  SecureWipe(h, sizeof h);
}

}  // namespace

void Pbkdf2Sha1(const std::uint8_t* password, std::size_t passwordLength, const std::uint8_t* salt,
                std::size_t saltLength, std::uint32_t iterations, std::uint8_t* out,
                std::size_t outLength) {
  // The password-keyed state is set up once and copied for every block.
  HmacState keyed;
  HmacInit(keyed);
  HmacSetKey(password, passwordLength, keyed);
  HmacUpdate(nullptr, 0, keyed);

  PadStates pads;
  std::memcpy(pads.inner, keyed.sha.h, sizeof pads.inner);
  std::uint8_t outerPad[kSha1BlockSize];
  for (std::size_t i = 0; i < kSha1BlockSize; ++i) outerPad[i] = keyed.key[i] ^ (0x36 ^ 0x5c);
  Sha1State outer;
  Sha1Init(outer);
  Sha1CompressBlocks(outer.h, outerPad, 1);
  std::memcpy(pads.outer, outer.h, sizeof pads.outer);

  std::uint8_t u[kSha1BlockSize];
  std::uint8_t sum[kSha1DigestSize];
  PrepareDigestBlock(u);
  for (std::uint32_t index = 1; outLength > 0; ++index) {
    HmacState state = keyed;
    HmacUpdate(salt, saltLength, state);
    const std::uint8_t counter[4] = {
        static_cast<std::uint8_t>(index >> 24), static_cast<std::uint8_t>(index >> 16),
        static_cast<std::uint8_t>(index >> 8), static_cast<std::uint8_t>(index)};
    HmacUpdate(counter, sizeof counter, state);
    HmacFinal(u, kSha1DigestSize, state);
    HmacWipe(state);
    std::memcpy(sum, u, sizeof sum);
    for (std::uint32_t j = 1; j < iterations; ++j) {
      HmacOfDigest(pads, u);
      for (std::size_t i = 0; i < kSha1DigestSize; ++i) sum[i] ^= u[i];
    }
    const std::size_t take = std::min(outLength, kSha1DigestSize);
    std::memcpy(out, sum, take);
    out += take;
    outLength -= take;
  }

  HmacWipe(keyed);
  SecureWipe(&pads, sizeof pads);
  SecureWipe(&outer, sizeof outer);
  SecureWipe(outerPad, sizeof outerPad);
  SecureWipe(u, sizeof u);
  SecureWipe(sum, sizeof sum);
}

}  // namespace AesLib
