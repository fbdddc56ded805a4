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

// Reads the options of `tolvan generate` ("--name VALUE" or "--name=VALUE").
// Throws UsageError for an unknown option, a missing value, a value out of
// the panel's range or a missing --page.
GenerateRequest ParseGenerateOptions(const std::vector<std::string>& args);

std::string GenerateHelp();

}  // namespace cli
