#include "generator/PageInclude.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "util/AppError.h"
#include "util/Ascii.h"
#include "util/FileStream.h"
#include "util/ReplacementFile.h"

namespace generator {

namespace {

constexpr std::size_t kPiece = 1 << 16;
// How much of a page's start is kept to find the include's place: room for a
// long licence comment ahead of a declare(...).
constexpr std::size_t kHeadBytes = 1 << 20;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

const std::string kIncludeCrLf = std::string(kIncludeLine) + "\r\n";

[[noreturn]] void RefuseHead(const std::string& path) {
  throw UUtils::AppError("Cannot insert the script into \"" + path +
                         "\". The comments that open its PHP code run past its first megabyte, "
                         "so the place of the include cannot be found; it was left unchanged.");
}

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
}

// Reads PHP code from the head of a page. `Truncated` is thrown when the code
// runs on past the head of a longer page.
class PhpReader {
 public:
  struct Truncated {};

  PhpReader(std::string_view text, std::size_t at, bool whole) : s_(text), i_(at), whole_(whole) {}

  std::size_t At() const { return i_; }
  bool AtEnd() const { return i_ >= s_.size(); }

  // Skips blanks and comments; false when a "?>" ends the code first.
  bool SkipBlanks() {
    for (;;) {
      Need(2);
      if (AtEnd()) return true;
      const char c = s_[i_];
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
        ++i_;
      } else if (Starts("/*")) {
        const auto end = s_.find("*/", i_ + 2);
        if (end == std::string_view::npos) Missing();
        i_ = end + 2;
      } else if (Starts("//") || (c == '#' && !Starts("#["))) {
        // A line comment ends at the line's end or at "?>", which ends the code.
        for (;; ++i_) {
          Need(2);
          if (AtEnd() || s_[i_] == '\n' || s_[i_] == '\r') break;
          if (Starts("?>")) return false;
        }
      } else {
        return true;
      }
    }
  }

  // True, past it, when the code goes on with the keyword `word` (any case).
  bool Keyword(std::string_view word) {
    Need(word.size() + 1);
    if (s_.size() - i_ < word.size()) return false;
    for (std::size_t k = 0; k < word.size(); ++k) {
      if (UUtils::LowerAscii(s_[i_ + k]) != word[k]) return false;
    }
    if (i_ + word.size() < s_.size() && IsNameChar(s_[i_ + word.size()])) return false;
    i_ += word.size();
    return true;
  }

  bool Starts(std::string_view text) {
    Need(text.size());
    return s_.substr(i_, text.size()) == text;
  }
  char Peek() {
    Need(1);
    return AtEnd() ? '\0' : s_[i_];
  }
  void Skip(std::size_t n) { i_ += n; }

  // Past the parenthesis that closes the one at the reader; false when none does.
  bool SkipParentheses() {
    int depth = 0;
    for (;; ++i_) {
      Need(1);
      if (AtEnd()) return false;
      const char c = s_[i_];
      if (c == '(') {
        ++depth;
      } else if (c == ')' && --depth == 0) {
        ++i_;
        return true;
      } else if (c == '\'' || c == '"') {
        const auto end = s_.find(c, i_ + 1);
        if (end == std::string_view::npos) Missing();
        i_ = end;
      }
    }
  }

  // Past the first of `stops` from here, name characters, backslashes, blanks
  // and comments between; false when something else comes first.
  bool SkipNameTo(std::string_view stops) {
    for (;;) {
      if (!SkipBlanks()) return false;
      const char c = Peek();
      if (AtEnd()) return false;
      if (stops.find(c) != std::string_view::npos) {
        ++i_;
        return true;
      }
      if (!IsNameChar(c) && c != '\\') return false;
      ++i_;
    }
  }

 private:
  // The head must hold `n` more bytes, unless it is the whole page.
  void Need(std::size_t n) const {
    if (!whole_ && s_.size() - std::min(i_, s_.size()) < n) throw Truncated{};
  }
  [[noreturn]] void Missing() const {
    if (!whole_) throw Truncated{};
    throw Malformed{};
  }

 public:
  struct Malformed {};

 private:
  std::string_view s_;
  std::size_t i_;
  bool whole_;
};

// After the declare(...) statements and the namespace statement that open the
// PHP code at `at`, where the include's statements may go; nothing when the
// code opens with neither.
std::optional<PageInsertion> AfterOpeningStatements(std::string_view head, std::size_t at,
                                                    bool whole) {
  PhpReader php(head, at, whole);
  if (!php.Keyword("<?php")) return std::nullopt;
  std::optional<PageInsertion> after;
  try {
    while (php.SkipBlanks() && php.Keyword("declare")) {
      if (!php.SkipBlanks() || php.Peek() != '(' || !php.SkipParentheses() || !php.SkipBlanks()) {
        return std::nullopt;
      }
      if (php.Starts("?>")) {
        // The closing tag ends the statement: the include needs its own ";".
        return PageInsertion{php.At(), std::string(";") + kIncludeStatements + " "};
      }
      const char c = php.Peek();
      if (c != ';' && c != '{' && c != ':') return std::nullopt;
      php.Skip(1);
      after = PageInsertion{php.At(), kIncludeStatements};
      if (c != ';') return after;  // a declare block: the include goes into it
    }
    if (php.SkipBlanks() && php.Keyword("namespace") && php.Peek() != '\\' &&
        php.SkipNameTo(";{")) {
      after = PageInsertion{php.At(), kIncludeStatements};
    }
  } catch (const PhpReader::Malformed&) {
    return std::nullopt;  // broken code: PHP refuses the page whatever goes where
  }
  return after;
}

// Writes text with every line break made CR LF, in pieces, to a stream.
class CrLfWriter {
 public:
  CrLfWriter(UUtils::FileStream& out, const std::string& path) : out_(out), path_(path) {
    buffer_.reserve(2 * kPiece + 2);
  }

  void Put(std::string_view text) {
    for (const char c : text) {
      const bool afterCr = pendingCr_;
      pendingCr_ = c == '\r';
      if (c == '\n' && afterCr) continue;  // the second half of a CR LF already written
      if (c == '\r' || c == '\n') {
        buffer_ += "\r\n";
      } else {
        buffer_ += c;
      }
      if (buffer_.size() >= 2 * kPiece) Flush();
    }
    if (text.empty()) return;
    endsWithBreak_ = text.back() == '\r' || text.back() == '\n';
    any_ = true;
  }

  // Adds the final line break that a text without one lacks.
  void Finish() {
    if (any_ && !endsWithBreak_) buffer_ += "\r\n";
    Flush();
  }

 private:
  void Flush() {
    const auto* data = reinterpret_cast<const std::uint8_t*>(buffer_.data());
    if (out_.Write(data, buffer_.size()) != buffer_.size()) {
      UUtils::ThrowCannotCreate(path_, out_.Error());
    }
    buffer_.clear();
  }

  UUtils::FileStream& out_;
  const std::string& path_;
  std::string buffer_;
  bool pendingCr_ = false;
  bool endsWithBreak_ = false;
  bool any_ = false;
};

// Reads the file in pieces into `piece`; false at its end.
bool ReadPiece(UUtils::FileStream& in, std::vector<char>& piece, std::size_t& got,
               const std::string& path) {
  got = in.Read(reinterpret_cast<std::uint8_t*>(piece.data()), piece.size());
  if (in.Error() != 0) UUtils::ThrowCannotOpen(path, in.Error());
  return got > 0;
}

// Finds one text in a file read in pieces.
class Finder {
 public:
  explicit Finder(std::string_view wanted) : wanted_(wanted) {}
  void Feed(std::string_view piece) {
    if (found_) return;
    carry_ += piece;
    found_ = carry_.find(wanted_) != std::string::npos;
    if (carry_.size() >= wanted_.size()) carry_.erase(0, carry_.size() - (wanted_.size() - 1));
  }
  bool Found() const { return found_; }

 private:
  std::string_view wanted_;
  std::string carry_;
  bool found_ = false;
};

}  // namespace

PageInsertion InsertionFor(std::string_view head, bool whole, const std::string& path) {
  try {
    PageInsertion top{0, kIncludeCrLf};
    std::size_t code = head.substr(0, 3) == kByteOrderMark ? 3 : 0;
    if (head.substr(0, 2) == "#!") {
      const auto end = head.find_first_of("\r\n");
      if (end == std::string_view::npos) {
        if (!whole) throw PhpReader::Truncated{};
        return {head.size(), "\r\n" + kIncludeCrLf};
      }
      if (head[end] == '\r' && end + 1 == head.size() && !whole) throw PhpReader::Truncated{};
      code = end + (head.substr(end, 2) == "\r\n" ? 2 : 1);
      top.at = code;
    }
    if (const auto after = AfterOpeningStatements(head, code, whole)) return *after;
    return top;
  } catch (const PhpReader::Truncated&) {
    RefuseHead(path);
  }
}

PageScan ScanPage(const std::string& path) {
  auto in = UUtils::FileStream::OpenForReading(path);
  std::vector<char> piece(kPiece);
  std::string head;
  Finder config(kConfigMarker), main(kMainMarker);
  bool whole = true;
  for (std::size_t got; ReadPiece(in, piece, got, path);) {
    const std::string_view text(piece.data(), got);
    // Lines end at the first NUL byte: rewriting such a page would cut off the
    // rest of it.
    if (text.find('\0') != std::string_view::npos) {
      throw UUtils::AppError(
          "Cannot insert the script into \"" + path +
          "\". The page holds a NUL byte, so it is no text page; it was left unchanged.");
    }
    config.Feed(text);
    main.Feed(text);
    const std::size_t room = kHeadBytes - head.size();
    if (got > room) whole = false;
    head.append(text.substr(0, std::min(room, got)));
  }
  PageScan scan;
  scan.carriesPackage = config.Found() && main.Found();
  if (!scan.carriesPackage) scan.insertion = InsertionFor(head, whole, path);
  return scan;
}

void IncludePackageInPage(const std::string& path, const PageInsertion& insertion) {
  auto in = UUtils::FileStream::OpenForReading(path);
  UUtils::ReplacementFile file(path);
  CrLfWriter out(file.Stream(), path);
  std::vector<char> piece(kPiece);
  std::uint64_t offset = 0;
  bool inserted = false;
  for (std::size_t got; ReadPiece(in, piece, got, path); offset += got) {
    std::string_view text(piece.data(), got);
    if (!inserted && insertion.at < offset + got) {
      const auto before = static_cast<std::size_t>(insertion.at - offset);
      out.Put(text.substr(0, before));
      out.Put(insertion.text);
      text.remove_prefix(before);
      inserted = true;
    }
    out.Put(text);
  }
  if (!inserted) out.Put(insertion.text);  // at the very end
  out.Finish();
  file.Commit();
}

}  // namespace generator
