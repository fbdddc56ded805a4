#include "cipher/Crypt.h"

#include <algorithm>
#include <stdexcept>

#include "cipher/SecureMemory.h"

namespace AesLib {

namespace {

// The authentication codes are compared in areas of this size, zero-filled.
constexpr std::size_t kMacArea = 32;

bool WriteAll(ByteStream& target, const std::uint8_t* data, std::size_t n) {
  return target.Write(data, n) == n;
}

// Reads exactly n bytes unless the source ends first.
bool ReadAll(ByteStream& source, std::uint8_t* data, std::size_t n) {
  while (n > 0) {
    const std::size_t got = source.Read(data, n);
    if (got == 0) return false;
    data += got;
    n -= got;
  }
  return true;
}

std::uint32_t CheckedBufferSize(std::uint32_t size) {
  if (size == 0) throw std::invalid_argument("The transfer buffer cannot be empty.");
  return size;
}

}  // namespace

TCrypt::TCrypt(std::string_view password, std::uint32_t bufferSize)
    : mode_(ModeForPassword(password.size())),
      password_(password),
      bufferSize_(CheckedBufferSize(bufferSize)),
      buffer_(bufferSize, 0) {
  if (password.size() > kMaxPasswordLength) {
    SecureWipe(password_.data(), password_.size());
    throw std::invalid_argument("The password is longer than 128 bytes.");
  }
}

TCrypt::~TCrypt() {
  FileCipherWipe(context_);
  SecureWipe(password_.data(), password_.size());
  SecureWipe(buffer_.data(), buffer_.size());
}

bool TCrypt::ReadHeader(ByteStream& source) {
  try {
    std::uint8_t salt[16];
    std::uint8_t expected[kVerifierSize];
    std::uint8_t stored[kVerifierSize];
    if (!ReadAll(source, salt, ModeSaltLength(mode_))) return false;
    FileCipherInit(mode_, reinterpret_cast<const std::uint8_t*>(password_.data()),
                   static_cast<std::uint32_t>(password_.size()), salt, expected, context_);
    return ReadAll(source, stored, kVerifierSize) &&
           ConstantTimeEqual(stored, expected, kVerifierSize);
  } catch (const StreamError&) {
    return false;
  }
}

bool TCrypt::CheckMac(ByteStream& source) {
  try {
    std::uint8_t computed[kMacArea] = {};
    std::uint8_t stored[kMacArea] = {};
    FileCipherMac(computed, context_);
    const bool complete = ReadAll(source, stored, kMacSize);
    const bool equal = ConstantTimeEqual(computed, stored, kMacArea);
    FileCipherWipe(context_);
    return complete && equal;
  } catch (const StreamError&) {
    FileCipherWipe(context_);
    return false;
  }
}

bool TCrypt::WriteMac(ByteStream& target) {
  try {
    std::uint8_t mac[kMacArea] = {};
    FileCipherMac(mac, context_);
    FileCipherWipe(context_);
    return WriteAll(target, mac, kMacSize);
  } catch (const StreamError&) {
    return false;
  }
}

bool TCrypt::DecryptStream(ByteStream& source, ByteStream& target, std::int64_t count) {
  const std::int64_t overhead = ModeSaltLength(mode_) + kVerifierSize + kMacSize;
  // Too short to hold a container: nothing to read.
  if (count < overhead) return false;
  if (!ReadHeader(source)) return false;
  try {
    std::int64_t remaining = count - overhead;
    do {
      const auto chunk = static_cast<std::size_t>(std::min<std::int64_t>(bufferSize_, remaining));
      const std::size_t n = source.Read(buffer_.data(), chunk);
      if (n == 0 && chunk > 0) return false;  // the source ended early
      FileCipherDecrypt(buffer_.data(), n, context_);
      if (!WriteAll(target, buffer_.data(), n)) return false;
      remaining -= static_cast<std::int64_t>(n);
    } while (remaining > 0);
  } catch (const StreamError&) {
    return false;
  }
  return CheckMac(source);
}

TEncryption::TEncryption(std::string_view password, std::uint32_t bufferSize, EntropySource entropy)
    : TCrypt(password, bufferSize) {
  RandomPoolInit(randomPool_, entropy);
}

TEncryption::~TEncryption() { RandomPoolWipe(randomPool_); }

bool TEncryption::WriteHeader(ByteStream& target) {
  try {
    std::uint8_t header[16 + kVerifierSize];
    const std::uint32_t saltLength = ModeSaltLength(mode_);
    RandomPoolRead(header, saltLength, randomPool_);
    FileCipherInit(mode_, reinterpret_cast<const std::uint8_t*>(password_.data()),
                   static_cast<std::uint32_t>(password_.size()), header, header + saltLength,
                   context_);
    return WriteAll(target, header, saltLength + kVerifierSize);
  } catch (const StreamError&) {
    return false;
  }
}

bool TEncryption::EncryptStream(ByteStream& source, ByteStream& target) {
  if (!WriteHeader(target)) return false;
  try {
    std::size_t n;
    do {
      n = source.Read(buffer_.data(), bufferSize_);
      FileCipherEncrypt(buffer_.data(), n, context_);
      if (!WriteAll(target, buffer_.data(), n)) return false;
    } while (n == bufferSize_);
  } catch (const StreamError&) {
    return false;
  }
  return WriteMac(target);
}

}  // namespace AesLib
