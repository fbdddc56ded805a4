// Feeds arbitrary descriptors, up to a little beyond the reader's limit, to the
// profile reader, from memory and from a file, and checks what must hold of
// its answers whatever the update folder sends.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "update/ProfileFile.h"

namespace {

void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
  }
}

// One file for every input, rewritten each time.
const std::string& Scratch() {
  static const std::string path = [] {
    char name[] = "/tmp/profile-fuzz-XXXXXX";
    const int fd = ::mkstemp(name);
    Require(fd >= 0, "no scratch file");
    ::close(fd);
    return std::string(name);
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string fallback = "\x01(none)";
  // The section and key of the descriptor, and a pair drawn from the input.
  const std::string drawn = text.substr(0, 8);
  const std::pair<std::string, std::string> names[] = {
      {"APPLICATION", "Version"}, {drawn.substr(0, 4), drawn.substr(std::min<size_t>(4, drawn.size()))}};
  for (const auto& [section, key] : names) {
    const std::string value = update::ProfileString(text, section, key, fallback);
    if (size > update::kMaxProfileBytes) Require(value == fallback, "text beyond the limit read");
    if (value != fallback) {
      Require(text.find(value) != std::string::npos, "value not taken from the text");
      Require(value.find_first_of("\r\n") == std::string::npos, "value spans lines");
      Require(value.size() <= size, "value longer than the text");
    }

    // A file says what the same bytes in memory say, read no further than the limit.
    std::FILE* file = std::fopen(Scratch().c_str(), "wb");
    Require(file && std::fwrite(text.data(), 1, size, file) == size && std::fclose(file) == 0,
            "scratch file not written");
    Require(update::ReadProfileString(Scratch(), section, key, fallback) == value,
            "file and memory disagree");
  }
  return 0;
}
