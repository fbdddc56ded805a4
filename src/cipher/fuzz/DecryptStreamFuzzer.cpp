// DecryptStream on containers made from arbitrary bytes. Every container here
// carries one fixed salt per password, whose keys are derived once (see
// DerivedKeyCache.cpp), so the runs go to the header check, decryption, the
// authentication code and the splitting of the stream into chunks, on the
// CPU's instructions and on the portable code.
//
// Five control bytes, then the payload:
//   [0] bits 0-1 the password (and so the mode); bit 2 the portable code;
//       bits 3-4 the container: 0 the salt + the payload; 1 the salt and its
//       verifier + the payload; 2 the payload encrypted; 3 the same with one
//       bit flipped after the salt; bit 5 reads past the limit fail; bit 6
//       the target takes no more than the limit.
//   [1], [2] low 12 bits: the transfer buffer size - 1; [2] high 4 bits: the
//       most bytes one read hands out - 1.
//   [3] how far the count given is off the container's length (signed).
//   [4] the limit, in units of 4 bytes.
#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <string>

#include "cipher/Crypt.h"
#include "cipher/Hardware.h"
#include "cipher/tests/MemoryStream.h"

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

// One container of this password, made by the library's own encryption.
Bytes EncryptedByTheLibrary(const std::string& password, const Bytes& plain) {
  AesLib::TEncryption writer(password, 64, FixedEntropy);
  MemoryStream in(plain), out;
  Check(writer.EncryptStream(in, out));
  return out.bytes();
}

Bytes Encrypt(int password, const Bytes& plain);

// The salt and verifier that every container of this password starts with,
// as the library's encryption writes them.
const Bytes& HeaderOf(int password) {
  static Bytes headers[std::size(kPasswords)];
  Bytes& header = headers[password];
  if (header.empty()) {
    const std::string& text = kPasswords[password];
    const Bytes sample(100, 0x5a);
    const Bytes byTheLibrary = EncryptedByTheLibrary(text, sample);
    header.assign(
        byTheLibrary.begin(),
        byTheLibrary.begin() + AesLib::ModeSaltLength(AesLib::ModeForPassword(text.size())) + 2);
    Check(Encrypt(password, sample) == byTheLibrary);
  }
  return header;
}

// `plain` in a container with this password's header. A new encryption would
// draw a new salt (and derive new keys) from a new random pool every run; this
// one takes the same steps as the library's encryption after the salt.
Bytes Encrypt(int password, const Bytes& plain) {
  const std::string& text = kPasswords[password];
  const Bytes& header = HeaderOf(password);
  AesLib::FileCipherContext context{};
  std::uint8_t verifier[2];
  Check(AesLib::FileCipherInit(AesLib::ModeForPassword(text.size()),
                               reinterpret_cast<const std::uint8_t*>(text.data()),
                               static_cast<std::uint32_t>(text.size()), header.data(), verifier,
                               context) == 0);
  Check(std::equal(verifier, verifier + 2, header.end() - 2));
  Bytes container = header;
  container.insert(container.end(), plain.begin(), plain.end());
  AesLib::FileCipherEncrypt(container.data() + header.size(), plain.size(), context);
  std::uint8_t mac[AesLib::kMacSize];
  AesLib::FileCipherMac(mac, context);
  container.insert(container.end(), mac, mac + sizeof mac);
  return container;
}

struct Decrypted {
  bool ok;
  Bytes plain;
};

Decrypted Decrypt(const std::string& password, std::int64_t count, std::uint32_t bufferSize,
                  MemoryStream& source, MemoryStream& target) {
  AesLib::TCrypt crypt(password, bufferSize);
  const bool ok = crypt.DecryptStream(source, target, count);
  return {ok, target.bytes()};
}

bool IsPrefix(const Bytes& part, const Bytes& whole) {
  return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 5) return 0;
  const std::uint8_t flags = data[0];
  const int passwordIndex = flags & 3;
  const std::string& password = kPasswords[passwordIndex];
  AesLib::SetHardwareEnabled(!(flags & 4));
  const int shape = (flags >> 3) & 3;
  const bool failReads = flags & 0x20;
  const bool shortTarget = flags & 0x40;
  const std::uint32_t bufferSize = 1 + (data[1] | (data[2] & 0x0f) << 8);
  const std::size_t maxRead = 1 + (data[2] >> 4);
  const int countOffset = static_cast<std::int8_t>(data[3]);
  const std::size_t limit = 4 * std::size_t{data[4]};
  const Bytes payload(data + 5, data + size);

  const Bytes& header = HeaderOf(passwordIndex);
  const std::size_t saltLength = header.size() - 2;
  Bytes container(header.begin(), header.end() - (shape == 1 ? 0 : 2));
  std::size_t flipAt = 0;
  if (shape < 2) {
    container.insert(container.end(), payload.begin(), payload.end());
  } else {
    container = Encrypt(passwordIndex, payload);
    if (shape == 3) {
      const std::uint8_t choice = payload.empty() ? 0 : payload[0];
      flipAt = saltLength + choice % (container.size() - saltLength);
      container[flipAt] ^= 1 << (choice & 7);
    }
  }
  const std::int64_t count = static_cast<std::int64_t>(container.size()) + countOffset;

  // Whole, as it would come from a file.
  MemoryStream wholeSource(container), wholeTarget;
  const Decrypted whole = Decrypt(password, count, std::max<std::uint32_t>(1, container.size()),
                                  wholeSource, wholeTarget);

  // Split into the chunks and reads the input chooses, and perhaps cut short.
  MemoryStream source(container), target;
  source.SetMaxRead(maxRead);
  if (failReads) source.SetReadLimit(limit);
  if (shortTarget) target.SetCapacity(limit);
  const Decrypted split = Decrypt(password, count, bufferSize, source, target);

  const std::int64_t overhead = static_cast<std::int64_t>(saltLength) + 12;
  Check(static_cast<std::int64_t>(whole.plain.size()) <=
        std::max<std::int64_t>(0, count - overhead));
  if (failReads || shortTarget) {
    // A failing stream only cuts the output short.
    Check(IsPrefix(split.plain, whole.plain));
    Check(!split.ok || (whole.ok && split.plain == whole.plain));
  } else {
    // How the stream is split changes nothing.
    Check(split.ok == whole.ok && split.plain == whole.plain);
  }
  if (shape >= 2 && countOffset == 0) {
    Bytes expected = payload;
    if (shape == 3) {
      // A flipped verifier stops it before any output; a flipped ciphertext
      // bit flips that plain bit alone; either way the code does not match.
      const std::size_t at = flipAt - saltLength;
      if (at < 2) expected.clear();
      if (at >= 2 && at - 2 < payload.size()) expected[at - 2] ^= 1 << (payload[0] & 7);
    }
    Check(whole.ok == (shape == 2));
    Check(whole.plain == expected);
  }
  return 0;
}
