#include "generator/GenerateScript.h"

#include <filesystem>

#include "generator/ConfigFile.h"
#include "generator/PackageContract.h"
#include "generator/PageInclude.h"
#include "generator/SetupKey.h"
#include "generator/ShippedFiles.h"
#include "util/AppError.h"
#include "util/ProcessRandom.h"
#include "util/TextLines.h"

namespace generator {

namespace {

std::string FileNameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// The package replaces every file of these names in the target folder.
bool IsPackageFileName(const std::string& name) {
  if (name == kConfigFile || name == kDatabaseFile) return true;
  for (const char* file : kShippedFiles) {
    if (name == FileNameOf(file)) return true;
  }
  for (const char* file : kDatabaseFiles) {
    if (name == FileNameOf(file)) return true;
  }
  return false;
}

// The database settings as written: the key of the folder's file when none is given, so that a
// package generated again keeps its figures, else a new one.
DatabaseSettings WithKey(DatabaseSettings database, const std::string& target) {
  if (database.key.empty()) database.key = KeyOfDatabaseFile(target + kDatabaseFile);
  if (database.key.empty()) database.key = NewDatabaseKey();
  if (!IsDatabaseKey(database.key)) {
    throw UUtils::AppError("\"" + database.key +
                           "\" cannot name an offer in the database: use 1 to 64 letters, digits, "
                           "'_', '-' or '.'; nothing was written.");
  }
  return database;
}

// A data file that the folder has already holds the offer's state: it stays.
bool KeepsItsOwn(const std::string& name, const std::string& to) {
  std::error_code error;
  for (const char* data : kDataFiles) {
    if (name == data) return std::filesystem::is_regular_file(to, error);
  }
  return false;
}

// Writes a copy of `from` over `to` as every whole file is written, so a
// failed copy leaves no half-written file. A failure is recorded, not raised.
void CopyOrRecord(const std::string& from, const std::string& to, const std::string& name,
                  std::vector<SkippedCopy>& skipped) {
  if (KeepsItsOwn(name, to)) return;
  try {
    UUtils::WriteFileBytes(to, UUtils::ReadFileBytes(from));
  } catch (const UUtils::AppError& error) {
    skipped.push_back({name, error.what()});
  }
}

std::string IncompleteMessage(const std::string& target, const std::vector<SkippedCopy>& skipped) {
  std::string message = "The script package in " + target +
                        " is incomplete, so the page was left unchanged. Not copied:";
  for (const auto& copy : skipped) message += "\r\n" + copy.file + ": " + copy.reason;
  return message;
}

}  // namespace

std::string GeneratedMessage(const std::string& targetFolder) {
  return "Script generated in " + targetFolder + "\r\nPlease upload to your server.";
}

std::string TargetFolderOf(const std::string& page) {
  const auto slash = page.rfind('/');
  return slash == std::string::npos ? std::string() : page.substr(0, slash + 1);
}

GenerateOutcome GenerateScript(const OfferSettings& settings, const std::string& appFolder,
                               const std::optional<DatabaseSettings>& database) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(settings.page, error)) {
    return {GenerateOutcome::Status::InvalidPage, "", kInvalidPageMessage};
  }
  const std::string target = TargetFolderOf(settings.page);
  if (IsPackageFileName(settings.page.substr(target.size()))) {
    throw UUtils::AppError("Cannot insert the script into \"" + settings.page +
                           "\". The package would overwrite the page with a file of the same name; "
                           "nothing was written.");
  }
  // Built first, so that a number that cannot be written leaves every file as it was.
  const std::string setupKey = NewSetupKey();
  const auto config =
      ConfigLines(settings, UUtils::ProcessRandom::Draw(1000), SetupKeyHash(setupKey));
  const auto written = database ? std::optional(WithKey(*database, target)) : std::nullopt;

  // The page is read through before anything is written, and written last, so
  // that it keeps its bytes whatever fails.
  const PageScan scan = ScanPage(settings.page);
  UUtils::WriteLines(target + kConfigFile, config);
  if (written) {
    UUtils::WriteLines(target + kDatabaseFile, DatabaseFileLines(*written),
                       UUtils::ReplacementFile::Readers::OwnerOnly);
  }

  std::vector<SkippedCopy> skipped;
  for (const char* file : kShippedFiles) {
    CopyOrRecord(appFolder + file, target + FileNameOf(file), FileNameOf(file), skipped);
  }
  if (written) {
    for (const char* file : kDatabaseFiles) {
      CopyOrRecord(appFolder + file, target + FileNameOf(file), FileNameOf(file), skipped);
    }
  }

  const std::string key = written ? written->key : "";
  if (!skipped.empty()) {
    auto message = IncompleteMessage(target, skipped);
    return {GenerateOutcome::Status::Incomplete, target, std::move(message), std::move(skipped),
            key, setupKey};
  }
  if (!scan.carriesPackage) IncludePackageInPage(settings.page, scan.insertion);
  return {GenerateOutcome::Status::Generated, target, GeneratedMessage(target), {}, key, setupKey};
}

}  // namespace generator
