#include "brand/LastNewsId.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <stdexcept>

#include "brand/BrandDocument.h"
#include "util/AppError.h"
#include "brand/BrandFileCipher.h"
#include "util/PercentEncoding.h"
#include "util/NewsId.h"
#include "util/TextLines.h"

namespace brand {

namespace {

constexpr char kTagName[] = "LastNewsId";

// Puts the new entry in place of the old one on `line`, from its opening tag
// to the end of its closing tag (or of the line, when that has none), and
// keeps whatever else the line holds.
void ReplaceEntry(std::string& line, std::size_t open, const std::string& entry) {
  const std::string closing = ClosingTag(kTagName);
  const std::size_t close = FindFolded(line, closing, open + OpeningTag(kTagName).size());
  const std::size_t end = close == std::string::npos ? line.size() : close + closing.size();
  line.replace(open, end - open, entry);
}

bool Writable(const std::string& path) {
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

// A line of the user's record names its program folder percent-encoded, so
// that any folder name fits on one line, then "=" and the id.
std::string UserEntryKey(const std::string& folder) {
  return UUtils::PercentEncoded(folder, "/") + "=";
}

UUtils::StringList UserEntries() {
  const std::string file = UserNewsIdFile();
  if (!std::filesystem::exists(file)) return {};
  return UUtils::ReadLines(file);
}

std::optional<std::string> UserLastNewsId(const std::string& folder) {
  const std::string key = UserEntryKey(folder);
  for (const std::string& line : UserEntries()) {
    if (line.starts_with(key)) return line.substr(key.size());
  }
  return std::nullopt;
}

// Sets (or, without an id, removes) the folder's line of the user's record.
void StoreUserLastNewsId(const std::string& folder, const std::optional<std::string>& id) {
  const std::string key = UserEntryKey(folder);
  UUtils::StringList lines = UserEntries();
  const auto old = std::find_if(lines.begin(), lines.end(),
                                [&](const std::string& line) { return line.starts_with(key); });
  if (old == lines.end() && !id) return;
  if (old != lines.end()) lines.erase(old);
  if (id) lines.push_back(key + *id);

  const std::string file = UserNewsIdFile();
  const std::filesystem::path folderOfFile = std::filesystem::path(file).parent_path();
  // Folders made here are the user's alone, as XDG asks.
  for (const auto& made : {folderOfFile.parent_path(), folderOfFile}) {
    if (::mkdir(made.c_str(), 0700) != 0 && errno != EEXIST) {
      UUtils::ThrowCannotCreate(file, errno);
    }
  }
  UUtils::WriteLines(file, lines);
}

}  // namespace

std::string UserNewsIdFile() {
  const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  if (config.isEmpty()) {
    throw UUtils::AppError(
        "The last news id cannot be kept: there is no folder for the user's settings (set HOME "
        "or XDG_CONFIG_HOME).");
  }
  return config.toStdString() + "/hurrex-tolvan/last-news-ids";
}

std::string LoadLastNewsId(const std::string& folder) {
  if (!std::filesystem::exists(folder + kBrandFile)) return {};
  if (auto id = UserLastNewsId(folder)) return *id;
  const auto lines = LoadBrandDocument(folder);
  if (!lines) return {};
  BrandDocument document(*lines);
  return TakeTagValue(document, kTagName);
}

void SaveLastNewsId(const std::string& folder, const std::string& id) {
  // Anything else could carry a line break, a NUL or tags into the brand.
  if (!UUtils::IsNewsId(id)) throw std::invalid_argument("Not a news id: " + id);
  const std::string file = folder + kBrandFile;
  if (!std::filesystem::exists(file)) return;
  // An installed program folder is not the user's to write.
  if (!Writable(file) || !Writable(folder)) {
    StoreUserLastNewsId(folder, id);
    return;
  }

  std::string plain;
  // A file we cannot read back faithfully is kept: rewriting it would put
  // the one entry in place of the whole brand, or seal damaged text under a
  // fresh authentication code.
  if (brand::DecryptFileChecked(file, plain) != brand::DecryptOutcome::Decrypted) return;
  UUtils::StringList lines = UUtils::SplitLines(plain);

  const std::string opening = OpeningTag(kTagName);
  const std::string entry = opening + id + ClosingTag(kTagName);
  bool replaced = false;
  for (std::string& line : lines) {
    const std::size_t open = line.find(opening);
    if (open == std::string::npos) continue;
    ReplaceEntry(line, open, entry);
    replaced = true;
    break;
  }
  if (!replaced) lines.push_back(entry);

  // The brand file is replaced by a complete new container or not at all.
  brand::EncryptBytesToFile(UUtils::JoinLines(lines), file);
  // An id kept for the user from a time the folder was read-only would
  // otherwise hide this newer one.
  StoreUserLastNewsId(folder, std::nullopt);
}

}  // namespace brand
