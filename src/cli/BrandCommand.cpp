// tolvan brand: encrypts, decrypts and checks brand settings files with the
// built-in password, and packs skins.
#include <zlib.h>

#include <cstdio>
#include <string>
#include <vector>

#include "brand/BrandFileCipher.h"
#include "cli/BrandCheckCommand.h"
#include "util/UUtils.h"

namespace cli {

namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;
constexpr int kNotAContainer = 3;
constexpr int kDamaged = 4;

const char kUsageText[] =
    "Usage: tolvan brand encrypt PLAIN OUT\n"
    "       tolvan brand decrypt IN OUT\n"
    "       tolvan brand check FILE [--plain]\n"
    "       tolvan brand skin SHEET OUT\n"
    "\n"
    "Encrypts a brand settings document into a settings file (dbsettings.dat) with\n"
    "the program's built-in password, or decrypts one. OUT is written only when\n"
    "the whole operation succeeds.\n"
    "\n"
    "check reads a settings file (or, with --plain, the plain document) as the\n"
    "program does and reports, one line each, every tag found or missing, tags the\n"
    "program never sees (out of order, repeated, numbered after a gap), entries\n"
    "without an address, banner files missing beside FILE, and whether the News\n"
    "button shows and why. The banner pictures, main.ico and mainskin.dat beside\n"
    "FILE are read as the program reads them; any the program would stop at is a\n"
    "problem.\n"
    "\n"
    "skin compresses a Qt style sheet (UTF-8) into a skin file (mainskin.dat).\n"
    "\n"
    "Exit codes: 0 done (check: nothing would go wrong), 1 a file cannot be read or\n"
    "written (check: a problem was found), 2 bad usage, 3 IN is not a settings file\n"
    "of this program (or has another password), 4 IN fails its authentication code:\n"
    "the data is damaged.\n";

int Fail(int code, const std::string& message) {
  std::fprintf(stderr, "tolvan brand: %s\n", message.c_str());
  return code;
}

int Decrypt(const std::string& in, const std::string& out) {
  switch (brand::DecryptToFileChecked(in, out)) {
    case brand::DecryptOutcome::Decrypted:
      return 0;
    case brand::DecryptOutcome::NotAContainer:
      return Fail(kNotAContainer, "\"" + in +
                                      "\" is not a brand settings file, or it was encrypted with "
                                      "another password; nothing written");
    case brand::DecryptOutcome::Damaged:
      break;
  }
  return Fail(kDamaged, "the authentication code of \"" + in +
                            "\" does not match: the data is damaged; nothing written");
}

// The skin format: the style sheet as one zlib stream.
int PackSkin(const std::string& in, const std::string& out) {
  const std::string sheet = UUtils::ReadFileBytes(in);
  uLongf size = compressBound(uLong(sheet.size()));
  std::string packed(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
                reinterpret_cast<const Bytef*>(sheet.data()), uLong(sheet.size()),
                Z_BEST_COMPRESSION) != Z_OK) {
    return Fail(kFailed, "cannot compress \"" + in + "\"");
  }
  packed.resize(size);
  UUtils::WriteFileBytes(out, packed);
  return 0;
}

}  // namespace

int RunBrand(const std::vector<std::string>& args) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(kUsageText, stdout);
    return 0;
  }
  const bool check = !args.empty() && args[0] == "check" &&
                     (args.size() == 2 || (args.size() == 3 && args[2] == "--plain"));
  if (check) return RunBrandCheck(args[1], args.size() == 3);
  if (args.size() != 3 || (args[0] != "encrypt" && args[0] != "decrypt" && args[0] != "skin")) {
    std::fputs(kUsageText, stderr);
    return kUsage;
  }
  try {
    if (args[0] == "encrypt") {
      brand::EncryptToFile(args[1], args[2]);
      return 0;
    }
    if (args[0] == "skin") return PackSkin(args[1], args[2]);
    return Decrypt(args[1], args[2]);
  } catch (const UUtils::AppError& e) {
    return Fail(kFailed, e.what());
  }
}

}  // namespace cli
