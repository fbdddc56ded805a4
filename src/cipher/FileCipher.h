#pragma once

#include <cstddef>
#include <cstdint>

#include "cipher/Aes.h"
#include "cipher/Hmac.h"

namespace AesLib {

inline constexpr int kFileCipherPasswordTooLong = -100;
inline constexpr int kFileCipherBadMode = -101;
inline constexpr std::uint32_t kMaxPasswordLength = 128;
inline constexpr std::uint32_t kVerifierSize = 2;
inline constexpr std::uint32_t kMacSize = 10;
inline constexpr std::uint32_t kKeyDerivationIterations = 1000;

// AES key length and salt length of a mode (1 to 3).
constexpr std::uint32_t ModeKeyLength(int mode) { return 8 * static_cast<std::uint32_t>(mode) + 8; }
constexpr std::uint32_t ModeSaltLength(int mode) {
  return 4 * static_cast<std::uint32_t>(mode) + 4;
}
// Mode 1, 2 or 3 for a password of this many bytes.
constexpr int ModeForPassword(std::size_t length) { return length < 32 ? 1 : length < 48 ? 2 : 3; }

// The state of one container while it is written or read.
struct FileCipherContext {
  std::uint8_t counter[16];
  std::uint8_t keystream[16];
  AesKeySchedule schedule;
  HmacState hmac;
  std::uint32_t position;  // next unused keystream byte; 16: used up
  std::uint32_t passwordLength;
  std::int32_t mode;
};

// Derives the keys from password and salt (ModeSaltLength(mode) bytes) and
// writes the 2-byte verifier. Returns 0, kFileCipherPasswordTooLong or
// kFileCipherBadMode; a refusal leaves context and verifier untouched.
int FileCipherInit(int mode, const std::uint8_t* password, std::uint32_t passwordLength,
                   const std::uint8_t* salt, std::uint8_t verifier[2], FileCipherContext& context);
// Encrypt or decrypt in place; the authentication code covers the ciphertext.
void FileCipherEncrypt(std::uint8_t* data, std::size_t length, FileCipherContext& context);
void FileCipherDecrypt(std::uint8_t* data, std::size_t length, FileCipherContext& context);
// Writes the 10-byte authentication code and returns 10.
int FileCipherMac(std::uint8_t out[10], FileCipherContext& context);
void FileCipherWipe(FileCipherContext& context);

}  // namespace AesLib
