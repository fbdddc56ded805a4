// DecryptStream on arbitrary bytes and counts. The first four input bytes
// choose the password (and so the mode), the transfer buffer, how far the
// count is off and how the source hands out its bytes; the rest is either
// taken as a container as it stands or encrypted into a valid container that
// may then get one byte flipped.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "Crypt.h"
#include "MemoryStream.h"

namespace {

const std::string kPasswords[] = {
    "wodnexhutr",
    "Forty0byte0password0for0the0middle0mode",
    "Sixty0byte0password0for0the0strongest0mode0of0the0container",
    "",
};

std::size_t FixedEntropy(std::uint8_t* out, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(i * 13);
  return n;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const std::uint8_t flags = data[0];
  const std::uint32_t bufferSize = 1 + (data[1] | (data[2] & 0x0f) << 8);
  const int countOffset = static_cast<std::int8_t>(data[3]);
  const Bytes payload(data + 4, data + size);
  const std::string& password = kPasswords[flags & 3];

  const bool encrypt = flags & 4;
  const bool flip = flags & 8;
  Bytes container = payload;
  if (encrypt) {
    AesLib::TEncryption writer(password, 64, FixedEntropy);
    MemoryStream plain(payload), out;
    Check(writer.EncryptStream(plain, out));
    container = out.bytes();
    if (flip && !payload.empty()) container[payload[0] % container.size()] ^= 1 << (payload[0] & 7);
  }

  AesLib::TCrypt crypt(password, bufferSize);
  MemoryStream source(container), target;
  source.SetMaxRead(1 + (flags >> 4));
  const std::int64_t count = static_cast<std::int64_t>(container.size()) + countOffset;
  const bool ok = crypt.DecryptStream(source, target, count);

  const std::int64_t overhead = AesLib::ModeSaltLength(crypt.Mode()) + 12;
  Check(static_cast<std::int64_t>(target.bytes().size()) <=
        std::max<std::int64_t>(0, count - overhead));
  if (encrypt && !(flip && !payload.empty()) && countOffset == 0) {
    Check(ok);
    Check(target.bytes() == payload);
  }
  return 0;
}
