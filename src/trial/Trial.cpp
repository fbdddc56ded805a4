#include "trial/Trial.h"

#include "generator/GenerateScript.h"
#include "trial/SiteCopy.h"
#include "util/AppError.h"
#include "util/Launch.h"
#include "util/PercentEncoding.h"

namespace trial {

namespace fs = std::filesystem;

std::string FindPhp() { return UUtils::FindProgram("php"); }

std::string PageAddress(int port, const std::string& fileName) {
  return "http://127.0.0.1:" + std::to_string(port) + "/" + UUtils::PercentEncoded(fileName);
}

Trial::Trial(const generator::OfferSettings& settings, const std::string& appFolder,
             const std::string& php, const fs::path& tempParent, const Pause& pause)
    : folder_("tolvan-try-", "for the try", tempParent), site_(folder_.Path() / "site") {
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
  server_.emplace(php, site_.string(), (folder_.Path() / "server.log").string(), pause);
  address_ = PageAddress(server_->Port(), page.filename().string());
}

}  // namespace trial
