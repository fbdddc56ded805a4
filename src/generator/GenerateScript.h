#pragma once

#include <optional>
#include <string>
#include <vector>

#include "generator/DatabaseFile.h"
#include "generator/OfferSettings.h"

namespace generator {

inline constexpr char kInvalidPageMessage[] = "Please provide a valid page to insert the script.";

// "Script generated in <folder>" CR LF "Please upload to your server."
std::string GeneratedMessage(const std::string& targetFolder);

// The folder the package goes to: the page path up to and including its last
// '/', empty (the current directory) when it has none.
std::string TargetFolderOf(const std::string& page);

// A shipped file the generation could not copy, and why.
struct SkippedCopy {
  std::string file;    // its name in the package
  std::string reason;  // the file error, as it would be reported
};

struct GenerateOutcome {
  // Incomplete: a shipped file could not be copied, and the page was left
  // unchanged; the message lists what failed.
  enum class Status { InvalidPage, Generated, Incomplete };
  Status status;
  std::string targetFolder;          // where the package was written; empty for InvalidPage
  std::string message;               // what to tell the user
  std::vector<SkippedCopy> skipped;  // the copies that failed
  std::string databaseKey;           // the offer's key in its database; empty without one
  // The key of the set-up pages, which stconfig1.php keeps only as a digest: shown once.
  std::string setupKey;
};

// Writes the offer's script package beside the sales page `settings.page`:
// stconfig1.php, copies of the shipped files (kShippedFiles) in appFolder,
// which ends in '/', and last the include in the page (see InsertionFor). The
// data files of kDataFiles that the folder has are kept. A copy that fails is
// listed, the others are still made, and the page is not touched (Incomplete).
// When no file exists at the page path nothing is read or written and the
// outcome is InvalidPage. Throws AppError when the page or stconfig1.php cannot
// be read or written, the page then keeping its bytes; and before anything is
// written when a number cannot be written, the page bears the name of a
// package file (the package would overwrite it) or is no text page. The
// cookie-name suffix is drawn from ProcessRandom, which is never seeded here.
//
// With a database, stdatabase.php is written too (readable by its owner alone) and the files of
// kDatabaseFiles are copied.
GenerateOutcome GenerateScript(const OfferSettings& settings, const std::string& appFolder,
                               const std::optional<DatabaseSettings>& database = std::nullopt);

}  // namespace generator
