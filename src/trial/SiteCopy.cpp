#include "trial/SiteCopy.h"

#include "util/AppError.h"

namespace trial {

namespace fs = std::filesystem;

namespace {

// Where a link to a folder points in the copy: inside the copy for a folder of the site, else
// where the original link leads.
fs::path FolderLinkTarget(const fs::path& folder, const fs::path& source, const fs::path& to) {
  const fs::path inSite = folder.lexically_relative(source);
  if (inSite == ".") return to;
  const bool inside = !inSite.empty() && *inSite.begin() != "..";
  return inside ? (to / inSite).lexically_normal() : folder;
}

void CopyEntry(const fs::directory_entry& entry, const fs::path& source, const fs::path& to) {
  const fs::path target = to / entry.path().lexically_relative(source);
  if (entry.is_symlink()) {
    std::error_code dangling;
    const fs::path named = fs::canonical(entry.path(), dangling);
    if (dangling) return;
    if (fs::is_directory(named)) {
      fs::create_directory_symlink(FolderLinkTarget(named, source, to), target);
      return;
    }
  }
  if (entry.is_directory()) {
    fs::create_directory(target);
  } else if (entry.is_regular_file()) {
    fs::copy_file(entry.path(), target);
  }
}

}  // namespace

void CopySite(const fs::path& from, const fs::path& to, const fs::path& skip) {
  try {
    const fs::path source = fs::canonical(from);
    std::error_code none;
    const fs::path skipped = fs::weakly_canonical(skip, none);
    fs::create_directory(to);
    for (auto walk = fs::recursive_directory_iterator(source); walk != fs::end(walk); ++walk) {
      if (walk->path() == skipped) {
        walk.disable_recursion_pending();
        continue;
      }
      CopyEntry(*walk, source, to);
    }
  } catch (const fs::filesystem_error& error) {
    const fs::path& what = error.path1().empty() ? from : error.path1();
    throw UUtils::AppError("Cannot copy \"" + what.string() + "\" for the try. " +
                           error.code().message() + ".");
  }
}

}  // namespace trial
