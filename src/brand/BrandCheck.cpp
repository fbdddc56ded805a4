#include "brand/BrandCheck.h"

#include <cstdio>
#include <filesystem>
#include <set>
#include <string_view>

#include "brand/BannerPicture.h"
#include "brand/BrandDocument.h"
#include "brand/BrandProfile.h"
#include "brand/BrandReading.h"
#include "brand/BrandSkin.h"
#include "util/AppError.h"

namespace brand {

namespace {

using Kind = Finding::Kind;

// Windows-1252 0x80 to 0x9F; the five unassigned bytes keep their C1 code points.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += char(code);
  } else if (code < 0x800) {
    out += char(0xC0 | code >> 6);
    out += char(0x80 | (code & 0x3F));
  } else {
    out += char(0xE0 | code >> 12);
    out += char(0x80 | (code >> 6 & 0x3F));
    out += char(0x80 | (code & 0x3F));
  }
}

// A value as a terminal shows it: one line in UTF-8, control bytes as \xNN,
// long texts cut.
std::string Shown(const std::string& value) {
  std::size_t lines = 1;
  for (char c : value) lines += c == '\n';
  if (lines > 1)
    return std::to_string(value.size()) + " bytes on " + std::to_string(lines) + " lines";
  std::string shown = "\"";
  for (std::size_t i = 0; i < value.size() && i < 70; ++i) {
    const auto c = static_cast<unsigned char>(value[i]);
    if (c < 0x20 || c == 0x7F) {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      shown += escaped;
    } else {
      AppendUtf8(shown, c >= 0x80 && c < 0xA0 ? kHighControls[c - 0x80] : char32_t(c));
    }
  }
  return shown + (value.size() > 70 ? "...\"" : "\"");
}

// An error text ended as a sentence, for another to follow it.
std::string Sentence(std::string text) {
  if (text.empty() || text.back() != '.') text += '.';
  return text;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Tags whose values the program compares or opens as addresses.
bool MustBeBare(std::string_view name) {
  return name != "ApplicationName" && name != "AffiliateTYPE" && name != "MakeMoneyButton" &&
         name != "CopyrightYears" && name != "CopyrightCompany" && name != "AboutText";
}

std::size_t CountFolded(const std::string& text, const std::string& pattern) {
  std::size_t count = 0;
  for (auto at = FindFolded(text, pattern, 0); at != std::string::npos;
       at = FindFolded(text, pattern, at + pattern.size())) {
    ++count;
  }
  return count;
}

class Checker {
 public:
  Checker(const UUtils::StringList& lines, std::string folder)
      : document_(lines), folder_(std::move(folder)) {}

  std::vector<Finding> Run() {
    TBrandProfile profile;
    std::string* const fields[] = {&profile.ApplicationName,
                                   &profile.BranderCode,
                                   &profile.BranderType,
                                   &profile.AffiliateURL,
                                   &profile.AffiliateTYPE,
                                   &profile.AffiliateID,
                                   &profile.MasterNewsBaseURL,
                                   &profile.PlatinumNewsBaseURL,
                                   &profile.GoldNewsBaseURL,
                                   &profile.MasterPublID,
                                   &profile.PlatinumPublID,
                                   &profile.GoldPublID,
                                   nullptr,
                                   &profile.AppHelpURL,
                                   &profile.CopyrightYears,
                                   &profile.CopyrightCompany,
                                   &profile.AboutText};
    for (std::size_t i = 0; i < std::size(kNamedTags); ++i) {
      const std::string value = Take(kNamedTags[i]);
      if (fields[i]) *fields[i] = value;
      if (MustBeBare(kNamedTags[i]) && !value.empty() &&
          (IsBlank(value.front()) || IsBlank(value.back()))) {
        Add(Kind::Problem, std::string(kNamedTags[i]) +
                               " has blanks or line breaks around its value: write it on the "
                               "line of its tags, with nothing around it");
      }
    }
    for (const auto family : kFamilies) Family(family);
    Skin();
    Icon();
    LastNewsId();
    NewsButton(profile);
    return std::move(findings_);
  }

 private:
  void Add(Kind kind, std::string text) { findings_.push_back({kind, std::move(text)}); }

  // Takes the tag as the window does and says what became of it.
  std::string Take(std::string_view name) {
    const std::string opening = OpeningTag(name);
    const std::string& text = document_.text;
    const std::size_t open = FindFolded(text, opening, document_.position);
    const std::size_t count = CountFolded(text, opening);
    const std::string value = TakeTagValue(document_, name);
    const std::string tag(name);
    if (open == std::string::npos) {
      if (count == 0) {
        Add(Kind::Missing, tag);
      } else {
        Add(Kind::Problem,
            tag + " stands before " + lastFound_ +
                " and is never read: the tags are read one after another, in a fixed order");
      }
      return value;
    }
    if (FindFolded(text, ClosingTag(name), open + opening.size()) == std::string::npos) {
      Add(Kind::Problem, tag + " has no closing tag " + ClosingTag(name) + ": it reads as empty");
    } else {
      Add(Kind::Found, tag + ": " + Shown(value));
    }
    if (count > 1) {
      Add(Kind::Problem, tag + " is written " + std::to_string(count) +
                             " times: only the first one the reading reaches is read");
    }
    lastFound_ = tag;
    return value;
  }

  void Family(std::string_view family) {
    const std::string name(family);
    Entries entries;
    for (int number = 1; number <= kMaxEntries; ++number) {
      const std::string value = Take(name + std::to_string(number));
      if (value.empty()) break;
      entries.push_back({number, value});
    }
    const int read = int(entries.size());
    Add(Kind::Note,
        std::to_string(read) + " " + name + " entr" + (read == 1 ? "y" : "ies") + " read");
    for (const int number : NumbersWritten(family)) {
      if (number <= read + 1) continue;  // read, or the one that ended the family
      Add(Kind::Problem, name + std::to_string(number) +
                             (number > kMaxEntries
                                  ? " is beyond the last number read (16)"
                                  : " comes after the gap at " + name + std::to_string(read + 1)) +
                             " and is never read");
    }
    if (family == "Welcome") return;
    for (const Entry& entry : entries) {
      try {
        const EntryParts parts = SplitEntry(entry, family);
        if (family == "Banner") BannerFile(entry.number, parts.name);
      } catch (const UUtils::AppError&) {
        Add(Kind::Problem, name + std::to_string(entry.number) +
                               " has no address (no \"^\", or nothing after it): loading the "
                               "brand stops with an error whenever it is chosen");
      }
    }
  }

  // The numbers of the family's opening tags anywhere in the document.
  std::set<int> NumbersWritten(std::string_view family) const {
    std::set<int> numbers;
    const std::string& text = document_.text;
    const std::string prefix = "<%%" + std::string(family);
    for (auto at = FindFolded(text, prefix, 0); at != std::string::npos;
         at = FindFolded(text, prefix, at + 1)) {
      std::size_t end = at + prefix.size();
      int number = 0;
      while (end < text.size() && text[end] >= '0' && text[end] <= '9' && number < 100000) {
        number = number * 10 + (text[end++] - '0');
      }
      if (end > at + prefix.size() && text.compare(end, 3, "%%>") == 0) numbers.insert(number);
    }
    return numbers;
  }

  void BannerFile(int number, const std::string& file) {
    const std::string entry = "Banner" + std::to_string(number);
    if (file.empty()) {
      Add(Kind::Note, entry + " has no file name: the banner strip is hidden when it is chosen");
      return;
    }
    const std::string data = BannerDataPath(folder_, number);
    const std::string dataName = data.substr(folder_.size());
    const BannerPicture picture = BannerPictureOf(file);
    if (!picture.animated && picture.format.empty()) {
      Add(Kind::Problem, entry + "'s file name " + Shown(file) +
                             " names no picture format the program can show (GIF, JPEG, PNG, "
                             "BMP or ICO): loading the brand stops with an error");
    }
    if (std::filesystem::exists(data)) {
      if (picture.animated || !picture.format.empty()) Decode(entry, dataName, data, file);
    } else {
      Add(Kind::Problem, dataName +
                             " is missing beside the document: the banner strip is "
                             "hidden when " +
                             entry + " is chosen");
    }
  }

  // Reads the picture as the window does, and fails where it would.
  void Decode(const std::string& entry, const std::string& dataName, const std::string& data,
              const std::string& file) {
    try {
      const DecodedBanner banner = DecodeBanner(data, file);
      const QSize size = banner.picture.size();
      Add(Kind::Found, dataName + " for " + entry + ": " +
                           (banner.animated ? "an animation of " : "a picture of ") +
                           std::to_string(size.width()) + " x " + std::to_string(size.height()));
    } catch (const UUtils::AppError& e) {
      Add(Kind::Problem, Sentence(e.what()) + " Loading the brand stops with this error whenever " +
                             entry + " is chosen.");
    }
  }

  void Skin() {
    const std::string path = folder_ + kSkinFile;
    if (!std::filesystem::exists(path)) return;
    try {
      if (const auto sheet = ReadSkinFile(path)) {
        Add(Kind::Found, std::string(kSkinFile) + ": a skin of " + std::to_string(sheet->size()) +
                             " characters");
      } else {
        Add(Kind::Note, std::string(kSkinFile) +
                            " holds no skin (no whole zlib stream of UTF-8 text): the "
                            "built-in skin stays");
      }
    } catch (const UUtils::AppError& e) {
      Add(Kind::Problem, Sentence(e.what()) + " Loading the brand stops with this error.");
    }
  }

  void Icon() {
    const std::string path = folder_ + kIconFile;
    if (!std::filesystem::exists(path)) return;
    try {
      const std::size_t pictures = DecodeIcon(path).size();
      Add(Kind::Found, std::string(kIconFile) + ": " + std::to_string(pictures) + " picture" +
                           (pictures == 1 ? "" : "s"));
    } catch (const UUtils::AppError& e) {
      Add(Kind::Problem, Sentence(e.what()) + " Loading the brand stops with this error.");
    }
  }

  void LastNewsId() {
    BrandDocument fresh = document_;
    fresh.position = 0;
    const std::string id = TakeTagValue(fresh, "LastNewsId");
    if (id.empty()) {
      Add(Kind::Missing, "LastNewsId (the program adds it when a news item is opened)");
    } else {
      Add(Kind::Found, "LastNewsId: " + Shown(id));
    }
  }

  void NewsButton(const TBrandProfile& p) {
    const std::string& tier = p.BranderType;
    std::string why;
    if (NewsButtonShown(p)) {
      const std::string pair = tier == "Free" ? "Master" : tier;
      Add(Kind::Note, "the News button shows: BranderType " + Shown(tier) + " with " + pair +
                          "PublID and " + pair + "NewsBaseURL");
      return;
    }
    if (tier.empty()) {
      why = "there is no BranderType";
    } else if (tier != "Master" && tier != "Platinum" && tier != "Gold" && tier != "Free") {
      why = "BranderType " + Shown(tier) +
            " is none of \"Master\", \"Platinum\", \"Gold\" or \"Free\" (exact letter case)";
    } else {
      const std::string pair = tier == "Free" ? "Master" : tier;
      why = "BranderType " + Shown(tier) + " needs both " + pair + "PublID and " + pair +
            "NewsBaseURL";
    }
    Add(Kind::Note, "the News button is hidden: " + why);
  }

  BrandDocument document_;
  std::string folder_;
  std::string lastFound_ = "the start";
  std::vector<Finding> findings_;
};

}  // namespace

std::vector<Finding> CheckBrandDocument(const UUtils::StringList& lines,
                                        const std::string& folder) {
  return Checker(lines, folder).Run();
}

}  // namespace brand
