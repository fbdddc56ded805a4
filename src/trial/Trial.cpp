#include "trial/Trial.h"

#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "generator/GenerateScript.h"
#include "trial/SiteCopy.h"
#include "util/AppError.h"
#include "util/Launch.h"

namespace trial {

namespace fs = std::filesystem;

std::string FindPhp() { return UUtils::FindProgram("php"); }

std::string PageAddress(int port, const std::string& fileName) {
  static constexpr std::string_view kPlain =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~";
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string address = "http://127.0.0.1:" + std::to_string(port) + "/";
  for (const char c : fileName) {
    const auto byte = static_cast<unsigned char>(c);
    if (kPlain.find(c) != std::string_view::npos) {
      address += c;
    } else {
      address += {'%', kHex[byte >> 4], kHex[byte & 15]};
    }
  }
  return address;
}

Trial::Scratch::Scratch(const fs::path& tempParent) {
  std::error_code error;
  const fs::path parent = tempParent.empty() ? fs::temp_directory_path(error) : tempParent;
  if (error) throw UUtils::AppError("No temporary folder for the try. " + error.message() + ".");
  std::string pattern = (parent / "tolvan-try-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw UUtils::AppError("Cannot make a folder for the try in \"" + parent.string() + "\". " +
                           std::strerror(errno) + ".");
  }
  path_ = pattern;
}

Trial::Scratch::~Scratch() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

Trial::Trial(const generator::OfferSettings& settings, const std::string& appFolder,
             const std::string& php, const fs::path& tempParent)
    : folder_(tempParent), site_(folder_.Path() / "site") {
  std::error_code error;
  if (!fs::is_regular_file(settings.page, error)) {
    throw UUtils::AppError(generator::kInvalidPageMessage);
  }
  const fs::path page = fs::absolute(settings.page);
  CopySite(page.parent_path(), site_, folder_.Path());

  generator::OfferSettings inCopy = settings;
  inCopy.page = (site_ / page.filename()).string();
  const auto outcome = generator::GenerateScript(inCopy, appFolder);
  if (!outcome.skipped.empty()) {
    const auto& copy = outcome.skipped.front();
    throw UUtils::AppError("The script package is not whole, so it cannot be tried: " + copy.file +
                           " was not copied. " + copy.reason);
  }

  // The server's messages stay beside the copy, out of what it serves.
  server_.emplace(php, site_.string(), (folder_.Path() / "server.log").string());
  address_ = PageAddress(server_->Port(), page.filename().string());
}

}  // namespace trial
