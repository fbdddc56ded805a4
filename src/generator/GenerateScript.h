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
  enum class Status { InvalidPage, Generated };
  Status status;
  std::string targetFolder;  // where the package was written; empty for InvalidPage
  std::string message;       // what to tell the user (an information message)
  // The copies that failed. The window skips them without a word, as the
  // generation always has; a script is told.
  std::vector<SkippedCopy> skipped;
  std::string databaseKey;  // the offer's key in its database; empty without one
  // The key of the set-up pages, which stconfig1.php keeps only as a digest: shown once.
  std::string setupKey;
};

// Writes the offer's script package beside the sales page `settings.page`:
// the include line on top of the page, stconfig1.php, and copies of the
// shipped files (kShippedFiles) in appFolder, which ends in '/'. A copy that fails is skipped and
// listed. When no file exists at the page path nothing is read or written and the outcome is
// InvalidPage. Throws AppError when the page or stconfig1.php cannot be read or written; and before
// anything is written when a number cannot be written or the page bears the name of a package file
// (the package would overwrite it). The cookie-name suffix is drawn from ProcessRandom, which is
// never seeded here.
//
// With a database, stdatabase.php is written too (readable by its owner alone) and the files of
// kDatabaseFiles are copied.
GenerateOutcome GenerateScript(const OfferSettings& settings, const std::string& appFolder,
                               const std::optional<DatabaseSettings>& database = std::nullopt);

}  // namespace generator
