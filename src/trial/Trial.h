#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "generator/OfferSettings.h"
#include "trial/LocalServer.h"
#include "util/TemporaryFolder.h"

namespace trial {

// What a seller is told when PHP, which a try needs, is not installed.
inline constexpr char kPhpMissingMessage[] =
    "Trying the offer on this computer needs PHP, which is not installed.\n"
    "Install PHP's command-line package with your system's software manager, or in a terminal:\n"
    "    sudo apt install php-cli";

// The PHP interpreter on the PATH; empty when there is none.
std::string FindPhp();

// "http://127.0.0.1:<port>/" and the file name, its bytes other than letters, digits and "-._~"
// written as %XX.
std::string PageAddress(int port, const std::string& fileName);

// A try of the offer before it is uploaded: the page's folder copied into a fresh folder under
// `tempParent` (none: the system's temporary folder, $TMPDIR or /tmp), the package generated into
// the copy from `settings` as Generate Script would, and the copy served by PHP's built-in server
// on the loopback, so that the sales page, its bar, the thank-you page, the count and the redirect
// work as on the seller's host. Nothing is written into the seller's folder. The server stops and
// the copy is removed when the try ends.
class Trial {
 public:
  // `appFolder` (ending in '/') holds the shipped package files; `php` is the interpreter to
  // run. Throws UUtils::AppError, leaving nothing behind, when the page is no file
  // (kInvalidPageMessage), the folder cannot be copied, the package cannot be generated whole or
  // the server does not come up. While the server starts, the time passes with `pause`.
  Trial(const generator::OfferSettings& settings, const std::string& appFolder,
        const std::string& php, const std::filesystem::path& tempParent = {},
        const Pause& pause = {});
  Trial(const Trial&) = delete;
  Trial& operator=(const Trial&) = delete;

  // The sales page as the server serves it.
  const std::string& Address() const { return address_; }
  // The copy of the page's folder.
  const std::filesystem::path& Site() const { return site_; }
  int Port() const { return server_->Port(); }
  // False once the server has ended on its own.
  bool Serving() { return server_->Running(); }

 private:
  UUtils::TemporaryFolder folder_;  // made first and removed last, once the server has stopped
  std::filesystem::path site_;
  std::optional<LocalServer> server_;
  std::string address_;
};

}  // namespace trial
