#include "news/NewsAnswers.h"

#include "util/DecodeHexEscapes.h"
#include "util/NewsId.h"

namespace news {

namespace {

// Every "¯OK" taken out in one pass from the left.
std::string WithoutEndMarks(std::string_view text) {
  constexpr std::string_view kEndMark("\xAFOK", 3);
  std::string rest;
  rest.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    const size_t mark = text.find(kEndMark, at);
    rest.append(text.substr(at, mark - at));
    if (mark == std::string_view::npos) break;
    at = mark + kEndMark.size();
  }
  return rest;
}

// The id of a raw entry: the text before its first "^".
std::string_view EntryId(std::string_view entry) { return entry.substr(0, entry.find('^')); }

}  // namespace

std::string TrimAnswer(std::string_view body) {
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  while (!body.empty() && blank(body.front())) body.remove_prefix(1);
  while (!body.empty() && blank(body.back())) body.remove_suffix(1);
  return std::string(body);
}

bool IsSuccess(std::string_view trimmed) { return trimmed.find("OK") != std::string_view::npos; }

std::string FailureMessage(std::string_view trimmed, Operation operation) {
  if (operation == Operation::Last) return {};
  if (trimmed.empty()) return "There is a trouble accessing the news site. Contact your provider.";
  if (trimmed == "CONNECTIONFAIL")
    return "There is a trouble in the settings file on the news site.";
  if (trimmed == "INVALIDUSER")
    return "There is a trouble with the Publisher Id. Contact your provider.";
  if (trimmed == "INVALIDPRODUCT") {
    return "There is a trouble with the product validation. Contact your provider.";
  }
  if (trimmed == "INVALIDNEWS" && operation == Operation::Details) {
    return "There is a trouble with this news. Contact your provider.";
  }
  return {};
}

void ParseList(std::string_view trimmed, UUtils::StringList& entries) {
  UUtils::StringList pieces;
  UUtils::SplitString(kItemSeparator, std::string(trimmed), pieces);
  for (std::string& piece : pieces) {
    // An entry whose id is no number is dropped; the others are used.
    if (!piece.empty() && piece != "OK" && UUtils::IsNewsId(EntryId(piece))) {
      entries.push_back(std::move(piece));
    }
  }
}

void ParseLast(std::string_view trimmed, std::string& lastId, std::string& title) {
  const std::string rest = WithoutEndMarks(trimmed);
  lastId.clear();
  title.clear();
  if (rest == "OK") return;
  UUtils::StringList pieces;
  UUtils::SplitString('^', rest, pieces);
  // An entry whose id is no number is dropped, as if the answer held none;
  // a shorter answer than "id^title" gives what it has, the rest empty.
  if (pieces.empty() || !UUtils::IsNewsId(pieces[0])) return;
  lastId = pieces[0];
  if (pieces.size() > 1) title = pieces[1];
}

std::string ParseDetails(std::string_view trimmed) {
  return UUtils::DecodeHexEscapes(WithoutEndMarks(trimmed));
}

}  // namespace news
