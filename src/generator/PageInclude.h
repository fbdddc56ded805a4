#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace generator {

// The line that makes a sales page load the package, and the two texts that
// show a page already carries it.
inline constexpr char kIncludeLine[] = "<?php include'stconfig1.php'; include'stmain.php'; ?>";
inline constexpr char kConfigMarker[] = "include'stconfig1.php';";
inline constexpr char kMainMarker[] = "stmain.php';";
// The include as statements, for a page whose PHP must begin with its own
// declare(...) or namespace statement.
inline constexpr char kIncludeStatements[] = " include'stconfig1.php'; include'stmain.php';";

// Where the include goes into a page: `text` at byte `at`.
struct PageInsertion {
  std::uint64_t at = 0;
  std::string text;
};

// The insertion for a page whose first bytes are `head`; `whole` when the head
// is the whole page. The include line goes on top, except
// - after a first line that starts with "#!", which PHP skips only there;
// - into the page's opening PHP block, after its declare(...) statements and
//   its namespace statement, which PHP wants ahead of every other statement
//   (also behind a UTF-8 byte-order mark, which some servers strip).
// A page that starts with a mark and nothing of that kind gets the line ahead
// of the mark: the package must run before the page sends anything. Throws
// AppError when the opening PHP comments run past the head of a longer page.
PageInsertion InsertionFor(std::string_view head, bool whole, const std::string& path);

// What reading a page through once found.
struct PageScan {
  bool carriesPackage = false;  // both markers: the page stays as it is
  PageInsertion insertion;
};

// Reads the page at `path` once, in pieces. Throws AppError when it cannot be
// read or holds a NUL byte (it is then no text page and is left as it is).
PageScan ScanPage(const std::string& path);

// Writes the page at `path` again with `insertion`, every line break made
// CR LF and a final one added, piece by piece: the page is never held whole.
// Throws AppError when it cannot be read or written; the page then keeps its
// bytes.
void IncludePackageInPage(const std::string& path, const PageInsertion& insertion);

}  // namespace generator
