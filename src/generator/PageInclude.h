#pragma once

#include <string>

namespace generator {

// The line that makes a sales page load the package, and the two texts that
// show a page already carries it.
inline constexpr char kIncludeLine[] = "<?php include'stconfig1.php'; include'stmain.php'; ?>";
inline constexpr char kConfigMarker[] = "include'stconfig1.php';";
inline constexpr char kMainMarker[] = "stmain.php';";

// Puts kIncludeLine on top of the page at `path` unless the page holds both
// markers, in which case its bytes stay untouched. A rewritten page has CR LF
// after every line. Throws AppError when the page cannot be read or written,
// or when it holds a NUL byte (it is then no text page and is left as it is).
void IncludePackageInPage(const std::string& path);

}  // namespace generator
