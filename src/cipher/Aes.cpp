// AES encryption (FIPS-197), table driven, with the CPU's AES instructions
// used instead where present.
#include "cipher/Aes.h"

#include <array>
#include <cstring>

#include "cipher/AesNi.h"
#include "cipher/Hardware.h"

namespace AesLib {

namespace {

constexpr std::uint8_t Xtime(std::uint8_t x) {
  return static_cast<std::uint8_t>((x << 1) ^ ((x & 0x80) ? 0x1b : 0));
}

constexpr std::uint8_t Rotl8(std::uint8_t x, int n) {
  return static_cast<std::uint8_t>((x << n) | (x >> (8 - n)));
}

// The S-box: multiplicative inverse in GF(2^8) followed by the affine map.
// p walks the powers of the generator 3 and q the powers of its inverse, so
// q is the inverse of p at every step.
constexpr std::array<std::uint8_t, 256> MakeSbox() {
  std::array<std::uint8_t, 256> sbox{};
  std::uint8_t p = 1, q = 1;
  do {
    p = static_cast<std::uint8_t>(p ^ Xtime(p));
    q = static_cast<std::uint8_t>(q ^ (q << 1));
    q = static_cast<std::uint8_t>(q ^ (q << 2));
    q = static_cast<std::uint8_t>(q ^ (q << 4));
    if (q & 0x80) q ^= 0x09;
    const std::uint8_t affine =
        static_cast<std::uint8_t>(q ^ Rotl8(q, 1) ^ Rotl8(q, 2) ^ Rotl8(q, 3) ^ Rotl8(q, 4));
    sbox[p] = affine ^ 0x63;
  } while (p != 1);
  sbox[0] = 0x63;
  return sbox;
}

constexpr std::uint32_t Rotl32(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

// Round tables on little-endian column words: kTe[r][b] is the MixColumns
// contribution of S-box output S[b] standing in row r.
constexpr std::array<std::array<std::uint32_t, 256>, 4> MakeRoundTables(
    const std::array<std::uint8_t, 256>& sbox) {
  std::array<std::array<std::uint32_t, 256>, 4> tables{};
  for (int b = 0; b < 256; ++b) {
    const std::uint32_t s = sbox[b];
    const std::uint32_t s2 = Xtime(sbox[b]);
    const std::uint32_t word = s2 | (s << 8) | (s << 16) | ((s2 ^ s) << 24);
    for (int r = 0; r < 4; ++r) tables[r][b] = r == 0 ? word : Rotl32(word, 8 * r);
  }
  return tables;
}

constexpr auto kSbox = MakeSbox();
constexpr auto kTe = MakeRoundTables(kSbox);

std::uint32_t LoadLe(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

void StoreLe(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}

std::uint32_t SubWord(std::uint32_t w) {
  return std::uint32_t{kSbox[w & 0xff]} | std::uint32_t{kSbox[(w >> 8) & 0xff]} << 8 |
         std::uint32_t{kSbox[(w >> 16) & 0xff]} << 16 | std::uint32_t{kSbox[w >> 24]} << 24;
}

std::uint32_t MixRound(const std::uint32_t s[4], int c) {
  return kTe[0][s[c] & 0xff] ^ kTe[1][(s[(c + 1) & 3] >> 8) & 0xff] ^
         kTe[2][(s[(c + 2) & 3] >> 16) & 0xff] ^ kTe[3][s[(c + 3) & 3] >> 24];
}

std::uint32_t LastRound(const std::uint32_t s[4], int c) {
  return std::uint32_t{kSbox[s[c] & 0xff]} |
         std::uint32_t{kSbox[(s[(c + 1) & 3] >> 8) & 0xff]} << 8 |
         std::uint32_t{kSbox[(s[(c + 2) & 3] >> 16) & 0xff]} << 16 |
         std::uint32_t{kSbox[s[(c + 3) & 3] >> 24]} << 24;
}

void PortableEncryptBlock(const std::uint8_t in[16], std::uint8_t out[16],
                          const AesKeySchedule& schedule) {
  const std::uint32_t* rk = schedule.roundKeys;
  std::uint32_t s[4], t[4];
  for (int c = 0; c < 4; ++c) s[c] = LoadLe(in + 4 * c) ^ rk[c];
  for (std::uint32_t round = 1; round < schedule.rounds; ++round) {
    rk += 4;
    for (int c = 0; c < 4; ++c) t[c] = MixRound(s, c) ^ rk[c];
    std::memcpy(s, t, sizeof s);
  }
  rk += 4;
  for (int c = 0; c < 4; ++c) StoreLe(out + 4 * c, LastRound(s, c) ^ rk[c]);
}

void PortableCtrBlocks(const AesKeySchedule& schedule, std::uint8_t counter[16],
                       const std::uint8_t* in, std::uint8_t* out, std::size_t blocks,
                       std::uint8_t lastKeystream[16]) {
  for (; blocks > 0; --blocks, in += 16, out += 16) {
    AesIncrementCounter(counter);
    PortableEncryptBlock(counter, lastKeystream, schedule);
    for (int i = 0; i < 16; ++i) out[i] = in[i] ^ lastKeystream[i];
  }
}

bool HasKey(const AesKeySchedule& schedule) {
  return (schedule.flags & kAesEncryptKeySet) != 0 && schedule.rounds != 0;
}

}  // namespace

int AesExpandKey(const std::uint8_t* key, std::uint32_t keyLength, AesKeySchedule& schedule) {
  std::memset(&schedule, 0, sizeof schedule);
  if (keyLength == 128 || keyLength == 192 || keyLength == 256) keyLength /= 8;
  if (keyLength != 16 && keyLength != 24 && keyLength != 32) return 0;

  const std::uint32_t nk = keyLength / 4;
  const std::uint32_t rounds = nk + 6;
  std::uint32_t* w = schedule.roundKeys;
  for (std::uint32_t i = 0; i < nk; ++i) w[i] = LoadLe(key + 4 * i);
  std::uint8_t rcon = 1;
  for (std::uint32_t i = nk; i < 4 * (rounds + 1); ++i) {
    std::uint32_t temp = w[i - 1];
    if (i % nk == 0) {
      temp = SubWord(Rotl32(temp, 24)) ^ rcon;
      rcon = Xtime(rcon);
    } else if (nk > 6 && i % nk == 4) {
      temp = SubWord(temp);
    }
    w[i] = w[i - nk] ^ temp;
  }
  schedule.rounds = rounds;
  schedule.flags = kAesBlockSize | kAesEncryptKeySet;
  return 1;
}

int AesEncryptBlock(const std::uint8_t in[16], std::uint8_t out[16],
                    const AesKeySchedule& schedule) {
  if (!HasKey(schedule)) return 0;
#if defined(__x86_64__)
  if (HardwareAesActive()) {
    AesNiEncryptBlock(in, out, schedule);
    return 1;
  }
#endif
  PortableEncryptBlock(in, out, schedule);
  return 1;
}

void AesCtrBlocks(const AesKeySchedule& schedule, std::uint8_t counter[16], const std::uint8_t* in,
                  std::uint8_t* out, std::size_t blocks, std::uint8_t lastKeystream[16]) {
#if defined(__x86_64__)
  if (HardwareAesActive()) {
    AesNiCtrBlocks(schedule, counter, in, out, blocks, lastKeystream);
    return;
  }
#endif
  PortableCtrBlocks(schedule, counter, in, out, blocks, lastKeystream);
}

void AesIncrementCounter(std::uint8_t counter[16]) {
  for (int i = 0; i < 8; ++i) {
    if (++counter[i] != 0) break;
  }
}

}  // namespace AesLib
