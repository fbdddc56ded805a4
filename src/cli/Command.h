#pragma once

#include <string>
#include <vector>

namespace cli {

// One subcommand of the `tolvan` companion. `run` gets the words after the
// subcommand's name and returns the process exit code (2: bad usage).
struct Command {
  const char* name;
  const char* summary;
  int (*run)(const std::vector<std::string>& args);
};

}  // namespace cli
