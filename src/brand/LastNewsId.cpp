#include "brand/LastNewsId.h"

#include <filesystem>
#include <stdexcept>

#include "brand/BrandDocument.h"
#include "brand/PlainCopy.h"
#include "util/CipherFiles.h"
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

}  // namespace

std::string LoadLastNewsId(const std::string& folder) {
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

  PlainCopy plain(folder);
  // A file we cannot read back faithfully is kept: rewriting it would put
  // the one entry in place of the whole brand, or seal damaged text under a
  // fresh authentication code.
  if (UUtils::DecryptToFileChecked(file, plain.Path()) != UUtils::DecryptOutcome::Decrypted) return;
  UUtils::StringList lines = UUtils::ReadLines(plain.Path());

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

  UUtils::WriteLines(plain.Path(), lines);
  // The brand file is replaced by a complete new container or not at all.
  UUtils::EncryptToFile(plain.Path(), file);
}

}  // namespace brand
