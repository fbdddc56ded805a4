#include "cipher/tests/ZipAe2.h"

#include <stdexcept>

namespace {

constexpr std::uint32_t kLocalHeader = 0x04034b50;
constexpr std::uint32_t kCentralHeader = 0x02014b50;
constexpr std::uint32_t kEndOfDirectory = 0x06054b50;
constexpr std::uint16_t kAesMethod = 99;
constexpr std::uint16_t kAesExtraId = 0x9901;
constexpr std::uint16_t kVersionNeeded = 51;
constexpr std::uint16_t kEncrypted = 1;
constexpr std::uint16_t kDos1980 = (0 << 9) | (1 << 5) | 1;

void Put16(Bytes& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(Bytes& out, std::uint32_t v) {
  Put16(out, v & 0xffff);
  Put16(out, v >> 16);
}

std::uint32_t Get16(const Bytes& in, std::size_t at) {
  if (at + 2 > in.size()) throw std::runtime_error("truncated archive");
  return in[at] | std::uint32_t{in[at + 1]} << 8;
}

std::uint32_t Get32(const Bytes& in, std::size_t at) {
  return Get16(in, at) | Get16(in, at + 2) << 16;
}

Bytes AesExtraField(int mode) {
  Bytes extra;
  Put16(extra, kAesExtraId);
  Put16(extra, 7);
  Put16(extra, 2);  // AE-2: no CRC of the plain data
  extra.push_back('A');
  extra.push_back('E');
  extra.push_back(static_cast<std::uint8_t>(mode));
  Put16(extra, 0);  // stored
  return extra;
}

// The fields shared by the local and the central header, from "flags" on.
void PutEntryFields(Bytes& out, const std::string& name, const Bytes& extra,
                    std::size_t containerSize, std::size_t plainSize) {
  Put16(out, kEncrypted);
  Put16(out, kAesMethod);
  Put16(out, 0);  // time
  Put16(out, kDos1980);
  Put32(out, 0);  // CRC-32, not kept by AE-2
  Put32(out, static_cast<std::uint32_t>(containerSize));
  Put32(out, static_cast<std::uint32_t>(plainSize));
  Put16(out, static_cast<std::uint32_t>(name.size()));
  Put16(out, static_cast<std::uint32_t>(extra.size()));
}

}  // namespace

Bytes WrapAsZip(const std::string& name, const Bytes& container, std::size_t plainSize, int mode) {
  const Bytes extra = AesExtraField(mode);
  Bytes zip;
  Put32(zip, kLocalHeader);
  Put16(zip, kVersionNeeded);
  PutEntryFields(zip, name, extra, container.size(), plainSize);
  zip.insert(zip.end(), name.begin(), name.end());
  zip.insert(zip.end(), extra.begin(), extra.end());
  zip.insert(zip.end(), container.begin(), container.end());

  const auto directoryOffset = static_cast<std::uint32_t>(zip.size());
  Put32(zip, kCentralHeader);
  Put16(zip, kVersionNeeded);  // made by
  Put16(zip, kVersionNeeded);
  PutEntryFields(zip, name, extra, container.size(), plainSize);
  Put16(zip, 0);  // comment length
  Put16(zip, 0);  // disk
  Put16(zip, 0);  // internal attributes
  Put32(zip, 0);  // external attributes
  Put32(zip, 0);  // local header offset
  zip.insert(zip.end(), name.begin(), name.end());
  zip.insert(zip.end(), extra.begin(), extra.end());
  const auto directorySize = static_cast<std::uint32_t>(zip.size()) - directoryOffset;

  Put32(zip, kEndOfDirectory);
  Put16(zip, 0);
  Put16(zip, 0);
  Put16(zip, 1);
  Put16(zip, 1);
  Put32(zip, directorySize);
  Put32(zip, directoryOffset);
  Put16(zip, 0);
  return zip;
}

ZipAesEntry UnwrapFirstEntry(const Bytes& zip) {
  if (zip.size() < 22) throw std::runtime_error("not an archive");
  std::size_t end = zip.size() - 22;
  while (Get32(zip, end) != kEndOfDirectory) {
    if (end == 0) throw std::runtime_error("no end of central directory");
    --end;
  }
  const std::size_t central = Get32(zip, end + 16);
  if (Get32(zip, central) != kCentralHeader) throw std::runtime_error("no central directory");
  if (Get16(zip, central + 10) != kAesMethod)
    throw std::runtime_error("entry is not AES encrypted");
  const std::size_t containerSize = Get32(zip, central + 20);
  const std::size_t nameLength = Get16(zip, central + 28);
  const std::size_t extraLength = Get16(zip, central + 30);
  const std::size_t local = Get32(zip, central + 42);

  ZipAesEntry entry;
  for (std::size_t at = central + 46 + nameLength;
       at + 4 <= central + 46 + nameLength + extraLength; at += 4 + Get16(zip, at + 2)) {
    if (Get16(zip, at) == kAesExtraId) {
      entry.strength = zip.at(at + 8);
      entry.actualMethod = static_cast<int>(Get16(zip, at + 9));
    }
  }
  if (entry.strength == 0) throw std::runtime_error("no AES extra field");

  if (Get32(zip, local) != kLocalHeader) throw std::runtime_error("no local header");
  const std::size_t data = local + 30 + Get16(zip, local + 26) + Get16(zip, local + 28);
  if (data + containerSize > zip.size()) throw std::runtime_error("truncated entry");
  entry.container.assign(zip.begin() + static_cast<long>(data),
                         zip.begin() + static_cast<long>(data + containerSize));
  return entry;
}
