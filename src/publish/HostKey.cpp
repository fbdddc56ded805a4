#include "publish/HostKey.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "cipher/Sha256.h"
#include "publish/Destination.h"
#include "util/AppError.h"
#include "util/TextLines.h"

namespace publish {

namespace {

std::string Base64(std::string_view bytes, bool padded) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  std::size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const unsigned v = unsigned(std::uint8_t(bytes[i])) << 16 |
                       unsigned(std::uint8_t(bytes[i + 1])) << 8 | std::uint8_t(bytes[i + 2]);
    out += {kDigits[v >> 18], kDigits[(v >> 12) & 63], kDigits[(v >> 6) & 63], kDigits[v & 63]};
  }
  if (i < bytes.size()) {
    const bool two = i + 1 < bytes.size();
    const unsigned v = unsigned(std::uint8_t(bytes[i])) << 16 |
                       (two ? unsigned(std::uint8_t(bytes[i + 1])) << 8 : 0u);
    out += kDigits[v >> 18];
    out += kDigits[(v >> 12) & 63];
    if (two) out += kDigits[(v >> 6) & 63];
    if (padded) out += two ? "=" : "==";
  }
  return out;
}

}  // namespace

std::string Fingerprint(std::string_view blob) {
  const auto digest = AesLib::Sha256(blob);
  return "SHA256:" +
         Base64(std::string_view(reinterpret_cast<const char*>(digest.data()), digest.size()),
                false);
}

std::string KeyType(std::string_view blob) {
  if (blob.size() < 4) return "";
  const std::size_t length = std::size_t(std::uint8_t(blob[0])) << 24 |
                             std::size_t(std::uint8_t(blob[1])) << 16 |
                             std::size_t(std::uint8_t(blob[2])) << 8 | std::uint8_t(blob[3]);
  if (length == 0 || length > 64 || length > blob.size() - 4) return "";
  const std::string type(blob.substr(4, length));
  for (char c : type) {
    if (c <= 0x20 || c >= 0x7f) return "";
  }
  return type;
}

std::string KnownHostsLine(const HostKey& key) {
  const std::string host =
      key.port == 22 ? key.host : "[" + key.host + "]:" + std::to_string(key.port);
  return host + " " + KeyType(key.blob) + " " + Base64(key.blob, true);
}

void RecordHostKey(const std::string& path, const HostKey& key) {
  if (KeyType(key.blob).empty()) throw PublishError("The host's key is not one SSH knows.");
  try {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty() && !std::filesystem::exists(folder, error)) {
      std::filesystem::create_directories(folder);
      std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    }
    std::string lines =
        std::filesystem::exists(path, error) ? UUtils::ReadFileBytes(path) : std::string();
    if (!lines.empty() && lines.back() != '\n') lines += '\n';
    UUtils::WriteFileBytes(path, lines + KnownHostsLine(key) + "\n");
  } catch (const std::exception& e) {
    throw PublishError("The host's key could not be recorded in " + path + ": " + e.what());
  }
}

std::string UserKnownHostsFile() {
  const char* home = std::getenv("HOME");
  std::string folder = home && *home ? home : "";
  if (folder.empty()) {
    if (const passwd* entry = ::getpwuid(::getuid())) folder = entry->pw_dir;
  }
  return folder + "/.ssh/known_hosts";
}

}  // namespace publish
