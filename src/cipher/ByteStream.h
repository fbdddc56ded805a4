#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>

namespace AesLib {

// Raised by a stream that cannot read (or, at its choice, write).
class StreamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The plain byte stream the cipher classes work on.
class ByteStream {
 public:
  virtual ~ByteStream() = default;
  // Reads up to n bytes; returns the count read, 0 at the end.
  virtual std::size_t Read(std::uint8_t* data, std::size_t n) = 0;
  // Writes n bytes; returns the count written, less when the medium is full.
  virtual std::size_t Write(const std::uint8_t* data, std::size_t n) = 0;
  virtual std::int64_t Size() = 0;
};

}  // namespace AesLib
