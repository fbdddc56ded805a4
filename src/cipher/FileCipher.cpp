#include "cipher/FileCipher.h"

#include <cstring>

#include "cipher/Pbkdf2.h"
#include "cipher/SecureMemory.h"

namespace AesLib {

namespace {

constexpr std::uint32_t kMaxKeyMaterial = 2 * 32 + 2;

void ApplyKeystream(std::uint8_t* data, std::size_t length, FileCipherContext& context) {
  while (length > 0 && context.position < 16) {
    *data++ ^= context.keystream[context.position++];
    --length;
  }
  const std::size_t blocks = length / 16;
  if (blocks > 0) {
    AesCtrBlocks(context.schedule, context.counter, data, data, blocks, context.keystream);
    data += 16 * blocks;
    length -= 16 * blocks;
  }
  if (length > 0) {
    AesIncrementCounter(context.counter);
    AesEncryptBlock(context.counter, context.keystream, context.schedule);
    context.position = 0;
    while (length-- > 0) *data++ ^= context.keystream[context.position++];
  }
}

}  // namespace

int FileCipherInit(int mode, const std::uint8_t* password, std::uint32_t passwordLength,
                   const std::uint8_t* salt, std::uint8_t verifier[2], FileCipherContext& context) {
  if (passwordLength > kMaxPasswordLength) return kFileCipherPasswordTooLong;
  if (mode < 1 || mode > 3) return kFileCipherBadMode;

  context.mode = mode;
  context.passwordLength = passwordLength;
  const std::uint32_t keyLength = ModeKeyLength(mode);
  std::uint8_t material[kMaxKeyMaterial];
  Pbkdf2Sha1(password, passwordLength, salt, ModeSaltLength(mode), kKeyDerivationIterations,
             material, 2 * keyLength + 2);

  context.position = 16;
  std::memset(context.counter, 0, sizeof context.counter);
  AesExpandKey(material, keyLength, context.schedule);
  HmacInit(context.hmac);
  HmacSetKey(material + keyLength, keyLength, context.hmac);
  std::memcpy(verifier, material + 2 * keyLength, kVerifierSize);
  SecureWipe(material, sizeof material);
  return 0;
}

void FileCipherEncrypt(std::uint8_t* data, std::size_t length, FileCipherContext& context) {
  ApplyKeystream(data, length, context);
  HmacUpdate(data, length, context.hmac);
}

void FileCipherDecrypt(std::uint8_t* data, std::size_t length, FileCipherContext& context) {
  HmacUpdate(data, length, context.hmac);
  ApplyKeystream(data, length, context);
}

int FileCipherMac(std::uint8_t out[10], FileCipherContext& context) {
  return static_cast<int>(HmacFinal(out, kMacSize, context.hmac));
}

void FileCipherWipe(FileCipherContext& context) { SecureWipe(&context, sizeof context); }

}  // namespace AesLib
