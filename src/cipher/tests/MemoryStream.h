#pragma once

#include <algorithm>
#include <cstring>
#include <limits>

#include "cipher/ByteStream.h"
#include "cipher/tests/CipherTestSupport.h"

// A byte stream in memory. A write capacity makes writes fall short like a
// full disk; a read limit makes reads past it raise a stream error.
class MemoryStream : public AesLib::ByteStream {
 public:
  MemoryStream() = default;
  explicit MemoryStream(Bytes bytes) : bytes_(std::move(bytes)) {}

  std::size_t Read(std::uint8_t* data, std::size_t n) override {
    if (position_ + n > readLimit_) throw AesLib::StreamError("read failed");
    n = std::min(n, std::min(bytes_.size() - position_, maxRead_));
    if (n > 0) std::memcpy(data, bytes_.data() + position_, n);
    position_ += n;
    return n;
  }
  std::size_t Write(const std::uint8_t* data, std::size_t n) override {
    n = std::min(n, capacity_ - bytes_.size());
    bytes_.insert(bytes_.end(), data, data + n);
    return n;
  }
  std::int64_t Size() override { return static_cast<std::int64_t>(bytes_.size()); }

  const Bytes& bytes() const { return bytes_; }
  std::size_t position() const { return position_; }
  void SetCapacity(std::size_t capacity) { capacity_ = capacity; }
  void SetReadLimit(std::size_t limit) { readLimit_ = limit; }
  // Reads hand out at most this many bytes at a time.
  void SetMaxRead(std::size_t n) { maxRead_ = n; }

 private:
  Bytes bytes_;
  std::size_t position_ = 0;
  std::size_t capacity_ = std::numeric_limits<std::size_t>::max();
  std::size_t readLimit_ = std::numeric_limits<std::size_t>::max();
  std::size_t maxRead_ = std::numeric_limits<std::size_t>::max();
};
