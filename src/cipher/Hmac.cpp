#include "cipher/Hmac.h"

#include <algorithm>
#include <cstring>

#include "cipher/SecureMemory.h"

namespace AesLib {

namespace {

constexpr std::uint8_t kInnerPad = 0x36;
// XORed over the inner pad it gives the outer pad 0x5c.
constexpr std::uint8_t kInnerToOuter = 0x36 ^ 0x5c;

void BeginData(HmacState& state) {
  if (state.keyLength == kHmacDataPhase) return;
  std::size_t length = state.keyLength;
  if (length > kSha1BlockSize) {
    Sha1Final(state.sha, state.key);
    length = kSha1DigestSize;
  }
  std::memset(state.key + length, 0, kSha1BlockSize - length);
  for (auto& byte : state.key) byte ^= kInnerPad;
  Sha1Init(state.sha);
  Sha1Update(state.sha, state.key, kSha1BlockSize);
  state.keyLength = kHmacDataPhase;
}

}  // namespace

void HmacInit(HmacState& state) { std::memset(&state, 0, sizeof state); }

int HmacSetKey(const std::uint8_t* key, std::size_t length, HmacState& state) {
  if (state.keyLength == kHmacDataPhase) return -1;
  const std::size_t joined = std::size_t{state.keyLength} + length;
  if (joined <= kSha1BlockSize) {
    if (length > 0) std::memcpy(state.key + state.keyLength, key, length);
  } else {
    if (state.keyLength <= kSha1BlockSize) {
      Sha1Init(state.sha);
      Sha1Update(state.sha, state.key, state.keyLength);
    }
    Sha1Update(state.sha, key, length);
  }
  // A key this long cannot be told from the data-phase marker; such keys do
  // not occur (passwords are at most 128 bytes).
  state.keyLength = static_cast<std::uint32_t>(std::min<std::size_t>(joined, kHmacDataPhase - 1));
  return 0;
}

void HmacUpdate(const std::uint8_t* data, std::size_t length, HmacState& state) {
  BeginData(state);
  Sha1Update(state.sha, data, length);
}

std::size_t HmacFinal(std::uint8_t* out, std::size_t n, HmacState& state) {
  BeginData(state);
  n = std::min(n, kSha1DigestSize);
  std::uint8_t digest[kSha1DigestSize];
  Sha1Final(state.sha, digest);
  for (auto& byte : state.key) byte ^= kInnerToOuter;
  Sha1Init(state.sha);
  Sha1Update(state.sha, state.key, kSha1BlockSize);
  Sha1Update(state.sha, digest, kSha1DigestSize);
  Sha1Final(state.sha, digest);
  std::memcpy(out, digest, n);
  SecureWipe(digest, sizeof digest);
  return n;
}

void HmacWipe(HmacState& state) { SecureWipe(&state, sizeof state); }

}  // namespace AesLib
