// tolvan generate: the window's "Generate Script" from the command line.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/GenerateOptions.h"
#include "generator/GenerateScript.h"
#include "util/AppError.h"
#include "util/AppFolder.h"
#include "util/ProcessRandom.h"

namespace cli {

namespace {

// The window's message with this platform's line breaks.
std::string ForTerminal(std::string message) {
  for (auto at = message.find("\r\n"); at != std::string::npos; at = message.find("\r\n", at)) {
    message.erase(at, 1);
  }
  return message + "\n";
}

}  // namespace

int RunGenerate(const std::vector<std::string>& args) {
  GenerateRequest request;
  try {
    request = ParseGenerateOptions(args);
  } catch (const UsageError& e) {
    std::fprintf(stderr, "tolvan generate: %s\n", e.what());
    return 2;
  }
  if (request.help) {
    std::fputs(GenerateHelp().c_str(), stdout);
    return 0;
  }
  // Every run is a fresh process; without a seed each package would get the
  // same cookie name.
  UUtils::ProcessRandom::Seed();
  try {
    const auto outcome = generator::GenerateScript(request.settings, UUtils::AppFolder());
    const bool generated = outcome.status == generator::GenerateOutcome::Status::Generated;
    std::fputs(ForTerminal(outcome.message).c_str(), generated ? stdout : stderr);
    // Unlike the window, a script must learn that the package is not whole.
    for (const auto& copy : outcome.skipped) {
      std::fprintf(stderr, "tolvan generate: %s was not copied: %s\n", copy.file.c_str(),
                   copy.reason.c_str());
    }
    return generated && outcome.skipped.empty() ? 0 : 1;
  } catch (const UUtils::AppError& e) {
    std::fprintf(stderr, "tolvan generate: %s\n", e.what());
    return 1;
  }
}

}  // namespace cli
