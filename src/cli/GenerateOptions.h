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
};

// Reads the offer's options ("--name VALUE" or "--name=VALUE") of `tolvan
// generate` and of the commands that take the same (`command`, named in the
// errors); `tolvan generate` takes the database options too. Throws UsageError
// for an unknown option, a missing value, a value out of the panel's range, a
// missing --page, or a database option without a usable --database.
GenerateRequest ParseGenerateOptions(const std::string& command,
                                     const std::vector<std::string>& args);

// The offer's options in a command's help.
std::string OfferOptionsHelp();

std::string GenerateHelp();

}  // namespace cli
