#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cipher/ByteStream.h"
#include "cipher/FileCipher.h"
#include "cipher/RandomPool.h"

namespace AesLib {

// Reads containers: salt, verifier, ciphertext, 10-byte authentication code.
// The mode follows from the password's length.
class TCrypt {
 public:
  // Throws std::invalid_argument for a password over 128 bytes.
  TCrypt(std::string_view password, std::uint32_t bufferSize);
  virtual ~TCrypt();
  TCrypt(const TCrypt&) = delete;
  TCrypt& operator=(const TCrypt&) = delete;

  int Mode() const { return mode_; }
  std::uint32_t BufferSize() const { return bufferSize_; }

  // count is the container's length from the source's current position. The
  // plain data is written as it is decrypted; true only when the verifier and
  // the authentication code both match and every byte was written.
  bool DecryptStream(ByteStream& source, ByteStream& target, std::int64_t count);

  bool ReadHeader(ByteStream& source);
  bool CheckMac(ByteStream& source);
  bool WriteMac(ByteStream& target);

 protected:
  std::int32_t mode_;
  FileCipherContext context_{};
  std::string password_;
  std::uint32_t bufferSize_;
  std::vector<std::uint8_t> buffer_;
};

// Also writes containers, with salts from its own random pool.
class TEncryption : public TCrypt {
 public:
  TEncryption(std::string_view password, std::uint32_t bufferSize,
              EntropySource entropy = SystemEntropy);
  ~TEncryption() override;

  // Encrypts the source from its current position to its end into a whole
  // container. False on a stream error or a short write.
  bool EncryptStream(ByteStream& source, ByteStream& target);
  bool WriteHeader(ByteStream& target);

 private:
  RandomPool randomPool_;
};

}  // namespace AesLib
