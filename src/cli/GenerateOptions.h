#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "generator/DatabaseFile.h"
#include "generator/OfferSettings.h"

namespace cli {

// A bad command line: the text names the option and what it accepts.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct GenerateRequest {
  bool help = false;
  generator::OfferSettings settings;  // the panel's defaults where an option is not given
  std::optional<generator::DatabaseSettings> database;  // generate's --database
  std::string output;                                   // preview's --output: the page's file
  bool force = false;  // preview's --force: --output may replace a file that is no preview
};

// Reads the offer's options ("--name VALUE" or "--name=VALUE") of `tolvan
// generate` and of the commands that take the same (`command`, named in the
// errors); `tolvan generate` and `tolvan preview` take the database options
// too, and preview takes --output FILE, which it needs instead of --page, and
// --force. --zone takes a number or a place of the time-zone database, whose
// number is then worked out for the expiry; --end-time sets the expiry's time
// of day. Throws UsageError for an unknown option, a missing value, a value
// out of the panel's range, a missing --page (--output for preview), a
// database option without a usable --database, an option of the expiry or of
// the one-time offer given with another kind of offer, or a place whose offset
// at the expiry is no whole number of hours.
GenerateRequest ParseGenerateOptions(const std::string& command,
                                     const std::vector<std::string>& args);

// ParseGenerateOptions for the command `command` run with `args`, into
// `request`. Returns the exit code when the command is done already: 2 after a
// usage error (said on stderr), 0 after --help (`help()` printed).
std::optional<int> ReadOfferCommand(const std::string& command,
                                    const std::vector<std::string>& args, std::string (*help)(),
                                    GenerateRequest& request);

// The help of --page, the own option of generate and try, laid out as the
// lines of OfferOptionsHelp.
inline constexpr char kPageHelp[] =
    "  --page PATH            the sales page to insert the script into (required)\n";

// The offer's options in a command's help, after the command's own, `own`.
std::string OfferOptionsHelp(const std::string& own = kPageHelp);

std::string GenerateHelp();
std::string PreviewHelp();

}  // namespace cli
