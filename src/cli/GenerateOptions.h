#pragma once

#include <stdexcept>
#include <string>
#include <vector>

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
};

// Reads the offer's options ("--name VALUE" or "--name=VALUE") of `tolvan
// generate` and of the commands that take the same (`command`, named in the
// errors). Throws UsageError for an unknown option, a missing value, a value
// out of the panel's range or a missing --page.
GenerateRequest ParseGenerateOptions(const std::string& command,
                                     const std::vector<std::string>& args);

// The offer's options in a command's help.
std::string OfferOptionsHelp();

std::string GenerateHelp();

}  // namespace cli
