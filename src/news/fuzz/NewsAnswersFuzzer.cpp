// Feeds arbitrary answers to every parser of the news answers and checks what
// must hold of their results whatever a server sends.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "news/NewsAnswers.h"
#include "util/DecodeHexEscapes.h"
#include "util/NewsId.h"

namespace {

void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
  }
}

bool Blank(char c) { return static_cast<unsigned char>(c) <= 32; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string body(reinterpret_cast<const char*>(data), size);

  const std::string trimmed = news::TrimAnswer(body);
  Require(trimmed.size() <= body.size(), "trimming grows");
  Require(trimmed.empty() || (!Blank(trimmed.front()) && !Blank(trimmed.back())),
          "blank left at an end");
  for (const auto operation :
       {news::Operation::List, news::Operation::Last, news::Operation::Details}) {
    const std::string message = news::FailureMessage(trimmed, operation);
    Require(operation != news::Operation::Last || message.empty(), "newest answer warns");
  }

  UUtils::StringList entries{"kept"};
  news::ParseList(trimmed, entries);
  Require(entries.front() == "kept", "list replaced instead of appended");
  for (std::size_t i = 1; i < entries.size(); ++i) {
    Require(!entries[i].empty() && entries[i] != "OK", "empty or OK entry");
    Require(entries[i].find(news::kItemSeparator) == std::string::npos, "separator in entry");
    Require(UUtils::IsNewsId(entries[i].substr(0, entries[i].find('^'))), "entry id no number");
  }

  std::string id = "stale", title = "stale";
  news::ParseLast(trimmed, id, title);
  Require(id.find('^') == std::string::npos && title.find('^') == std::string::npos,
          "separator in id or title");
  Require(id.empty() || UUtils::IsNewsId(id), "newest id no number");

  const std::string details = news::ParseDetails(trimmed);
  Require(details.size() <= trimmed.size(), "details longer than the answer");

  const std::string decoded = UUtils::DecodeHexEscapes(body);
  Require(decoded.size() <= body.size(), "decoding grows");
  if (body.find('$') == std::string::npos) Require(decoded == body, "plain text changed");

  // Any bytes, every one escaped, decode to themselves.
  std::string escaped;
  for (const unsigned char byte : body) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "$%02x", byte);
    escaped += hex;
  }
  Require(UUtils::DecodeHexEscapes(escaped) == body, "escaped bytes do not round-trip");
  return 0;
}
