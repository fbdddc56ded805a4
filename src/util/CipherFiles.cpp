#include "util/CipherFiles.h"

#include <cerrno>

#include "cipher/Crypt.h"
#include "util/AppError.h"
#include "util/FileStream.h"
#include "util/ReplacementFile.h"

namespace UUtils {

void DecryptToFile(const std::string& source, const std::string& target) {
  FileStream in = FileStream::OpenForReading(source);
  FileStream out = FileStream::CreateExclusive(target);
  {
    AesLib::TEncryption crypt(kBuiltInPassword, kCipherBufferSize);
    std::int64_t size = 0;
    try {
      size = in.Size();
    } catch (const AesLib::StreamError&) {
      ThrowCannotOpen(source, in.Error());
    }
    crypt.DecryptStream(in, out, size);
  }
  ThrowFileErrors(source, in, target, out);
}

void EncryptToFile(const std::string& source, const std::string& target) {
  FileStream in = FileStream::OpenForReading(source);
  ReplacementFile out(target);
  bool written;
  {
    AesLib::TEncryption crypt(kBuiltInPassword, kCipherBufferSize);
    written = crypt.EncryptStream(in, out.Stream());
  }
  if (!written) {
    ThrowFileErrors(source, in, target, out.Stream());
    ThrowCannotCreate(target, EIO);
  }
  out.Commit();
}

}  // namespace UUtils
