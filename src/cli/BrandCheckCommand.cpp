#include "cli/BrandCheckCommand.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "brand/BrandCheck.h"
#include "util/AppError.h"
#include "brand/BrandFileCipher.h"
#include "util/TextLines.h"

namespace cli {

namespace {

// The document's lines as the program would read them, or nothing (with the
// reason told) when the file does not decrypt.
std::optional<UUtils::StringList> DecryptedLines(const std::string& file) {
  std::string plain = (std::filesystem::temp_directory_path() / "tolvan-check-XXXXXX").string();
  const int fd = ::mkstemp(plain.data());
  if (fd < 0) UUtils::ThrowCannotCreate(plain, errno);
  ::close(fd);
  struct Remove {
    const std::string& path;
    ~Remove() { ::unlink(path.c_str()); }
  } remove{plain};

  switch (brand::DecryptToFileChecked(file, plain)) {
    case brand::DecryptOutcome::Decrypted:
      std::printf("%s: decrypts with the built-in password; its authentication code holds\n",
                  file.c_str());
      return UUtils::ReadLines(plain);
    case brand::DecryptOutcome::NotAContainer:
      std::printf(
          "%s: does not decrypt with the built-in password: it is no brand settings "
          "file, or another password made it\n",
          file.c_str());
      break;
    case brand::DecryptOutcome::Damaged:
      std::printf("%s: damaged: its authentication code does not match the data\n", file.c_str());
      break;
  }
  return std::nullopt;
}

const char* Label(brand::Finding::Kind kind) {
  switch (kind) {
    case brand::Finding::Kind::Found:
      return "found   ";
    case brand::Finding::Kind::Missing:
      return "missing ";
    case brand::Finding::Kind::Note:
      return "note    ";
    case brand::Finding::Kind::Problem:
      break;
  }
  return "PROBLEM ";
}

}  // namespace

int RunBrandCheck(const std::string& file, bool plain) {
  try {
    std::optional<UUtils::StringList> lines;
    if (plain) {
      lines = UUtils::ReadLines(file);
      std::printf("%s: read as a plain brand document\n", file.c_str());
    } else {
      lines = DecryptedLines(file);
    }
    if (!lines) return 1;

    std::string folder = std::filesystem::path(file).parent_path().string();
    folder = folder.empty() ? "./" : folder + "/";
    int problems = 0;
    for (const auto& finding : brand::CheckBrandDocument(*lines, folder)) {
      std::printf("%s%s\n", Label(finding.kind), finding.text.c_str());
      problems += finding.kind == brand::Finding::Kind::Problem;
    }
    if (problems == 0) {
      std::printf("No problems: the brand loads as written.\n");
      return 0;
    }
    std::printf("%d problem%s found.\n", problems, problems == 1 ? "" : "s");
    return 1;
  } catch (const UUtils::AppError& e) {
    std::fprintf(stderr, "tolvan brand: %s\n", e.what());
    return 1;
  }
}

}  // namespace cli
