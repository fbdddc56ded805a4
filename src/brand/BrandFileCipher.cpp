#include "brand/BrandFileCipher.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "cipher/ByteStream.h"
#include "cipher/Crypt.h"
#include "util/AppError.h"
#include "util/FileStream.h"
#include "util/ReplacementFile.h"

namespace brand {

using UUtils::FileStream;
using UUtils::ReplacementFile;
using UUtils::ThrowCannotCreate;
using UUtils::ThrowCannotOpen;
using UUtils::ThrowFileErrors;

namespace {

// The cipher's view of a file being written.
class TargetStream : public AesLib::ByteStream {
 public:
  explicit TargetStream(FileStream& file) : file_(file) {}

  std::size_t Read(std::uint8_t*, std::size_t) override {
    throw AesLib::StreamError("the target is not read");
  }
  std::size_t Write(const std::uint8_t* data, std::size_t n) override {
    return file_.Write(data, n);
  }
  std::int64_t Size() override { return file_.Size(); }

 private:
  FileStream& file_;
};

// The cipher's view of plain bytes in memory, read...
class PlainSource : public AesLib::ByteStream {
 public:
  explicit PlainSource(std::string_view bytes) : bytes_(bytes) {}

  std::size_t Read(std::uint8_t* data, std::size_t n) override {
    n = std::min(n, bytes_.size() - position_);
    std::memcpy(data, bytes_.data() + position_, n);
    position_ += n;
    return n;
  }
  std::size_t Write(const std::uint8_t*, std::size_t) override {
    throw AesLib::StreamError("the source is not written");
  }
  std::int64_t Size() override { return static_cast<std::int64_t>(bytes_.size()); }

 private:
  std::string_view bytes_;
  std::size_t position_ = 0;
};

// ...and written.
class PlainTarget : public AesLib::ByteStream {
 public:
  explicit PlainTarget(std::string& bytes) : bytes_(bytes) {}

  std::size_t Read(std::uint8_t*, std::size_t) override {
    throw AesLib::StreamError("the target is not read");
  }
  std::size_t Write(const std::uint8_t* data, std::size_t n) override {
    bytes_.append(reinterpret_cast<const char*>(data), n);
    return n;
  }
  std::int64_t Size() override { return static_cast<std::int64_t>(bytes_.size()); }

 private:
  std::string& bytes_;
};

// The cipher's view of a source file. Its first bytes are read at once, so a
// source that opens but cannot be read (a folder) is reported before any
// target is touched, and reading can go back to the start while it has not
// gone past them.
class SourceStream : public AesLib::ByteStream {
 public:
  SourceStream(FileStream& file, const std::string& path) : file_(file), head_(kHeadSize) {
    head_.resize(file_.Read(head_.data(), head_.size()));
    size_ = file_.Size();
    if (file_.Error() != 0) ThrowCannotOpen(path, file_.Error());
  }

  std::size_t Read(std::uint8_t* data, std::size_t n) override {
    std::size_t done = 0;
    if (position_ < head_.size()) {
      done = std::min(n, head_.size() - position_);
      std::memcpy(data, head_.data() + position_, done);
      position_ += done;
    }
    if (done < n && head_.size() == kHeadSize) {
      const std::size_t got = file_.Read(data + done, n - done);
      if (file_.Error() != 0) throw AesLib::StreamError("read failed");
      position_ += got;
      done += got;
    }
    return done;
  }
  std::size_t Write(const std::uint8_t*, std::size_t) override {
    throw AesLib::StreamError("the source is not written");
  }
  std::int64_t Size() override { return size_; }

  // Back to the first byte; false once reading has gone past the first bytes.
  bool Rewind() {
    if (position_ > head_.size()) return false;
    position_ = 0;
    return true;
  }

 private:
  static constexpr std::size_t kHeadSize = 4096;
  FileStream& file_;
  std::vector<std::uint8_t> head_;
  std::size_t position_ = 0;
  std::int64_t size_ = 0;
};

// The transfer buffer for a source: no larger than the source, so a small
// document is not read through a quarter of a megabyte.
std::uint32_t BufferFor(SourceStream& source) {
  return static_cast<std::uint32_t>(
      std::clamp<std::int64_t>(source.Size(), 1, std::int64_t{kCipherBufferSize}));
}

bool HoldsContainerHeader(AesLib::TCrypt& crypt, SourceStream& source) {
  const std::int64_t overhead =
      AesLib::ModeSaltLength(crypt.Mode()) + AesLib::kVerifierSize + AesLib::kMacSize;
  const bool header = source.Size() >= overhead && crypt.ReadHeader(source);
  return source.Rewind() && header;
}

// Encrypts all that `reader` gives into `target`, which is replaced only by
// the whole container. `raiseReadError` reports a failed read of the source.
template <class RaiseReadError>
void EncryptInto(AesLib::ByteStream& reader, const std::string& target,
                 RaiseReadError raiseReadError) {
  ReplacementFile out(target);
  TargetStream writer(out.Stream());
  bool written;
  {
    AesLib::TEncryption crypt(kBuiltInPassword, kCipherBufferSize);
    written = crypt.EncryptStream(reader, writer);
  }
  if (!written) {
    raiseReadError();
    if (out.Stream().Error() != 0) ThrowCannotCreate(target, out.Stream().Error());
    ThrowCannotCreate(target, EIO);
  }
  out.Commit();
}

}  // namespace

std::string DecryptFile(const std::string& source) {
  FileStream in = FileStream::OpenRegularForReading(source);
  SourceStream reader(in, source);
  std::string plain;
  PlainTarget writer(plain);
  {
    AesLib::TCrypt crypt(kBuiltInPassword, BufferFor(reader));
    crypt.DecryptStream(reader, writer, reader.Size());
  }
  if (in.Error() != 0) ThrowCannotOpen(source, in.Error());
  return plain;
}

DecryptOutcome DecryptToFileChecked(const std::string& source, const std::string& target) {
  FileStream in = FileStream::OpenForReading(source);
  SourceStream reader(in, source);
  AesLib::TCrypt crypt(kBuiltInPassword, BufferFor(reader));
  // The header first, so that a foreign file leaves the target alone.
  if (!HoldsContainerHeader(crypt, reader)) return DecryptOutcome::NotAContainer;

  ReplacementFile out(target);
  TargetStream writer(out.Stream());
  if (!crypt.DecryptStream(reader, writer, reader.Size())) {
    ThrowFileErrors(source, in, target, out.Stream());
    return DecryptOutcome::Damaged;
  }
  out.Commit();
  return DecryptOutcome::Decrypted;
}

DecryptOutcome DecryptFileChecked(const std::string& source, std::string& plain) {
  plain.clear();
  FileStream in = FileStream::OpenRegularForReading(source);
  SourceStream reader(in, source);
  AesLib::TCrypt crypt(kBuiltInPassword, BufferFor(reader));
  if (!HoldsContainerHeader(crypt, reader)) return DecryptOutcome::NotAContainer;

  std::string data;
  PlainTarget writer(data);
  if (!crypt.DecryptStream(reader, writer, reader.Size())) {
    if (in.Error() != 0) ThrowCannotOpen(source, in.Error());
    return DecryptOutcome::Damaged;
  }
  plain = std::move(data);
  return DecryptOutcome::Decrypted;
}

void EncryptToFile(const std::string& source, const std::string& target) {
  FileStream in = FileStream::OpenForReading(source);
  SourceStream reader(in, source);
  EncryptInto(reader, target, [&] {
    if (in.Error() != 0) ThrowCannotOpen(source, in.Error());
  });
}

void EncryptBytesToFile(std::string_view plain, const std::string& target) {
  PlainSource reader(plain);
  EncryptInto(reader, target, [] {});
}

}  // namespace brand
