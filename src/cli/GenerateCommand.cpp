// tolvan generate: the window's "Generate Script" from the command line.
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "cli/GenerateOptions.h"
#include "generator/GenerateScript.h"
#include "generator/OfferSummary.h"
#include "generator/SetupKey.h"
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

// The offer in plain words, as the window shows it under the panel.
void PrintSummary(const generator::OfferSettings& settings) {
  const auto summary = generator::SummarizeOffer(settings, std::time(nullptr));
  for (const auto& line : summary.lines) std::printf("%s\n", line.c_str());
  for (const auto& warning : summary.warnings) {
    std::fprintf(stderr, "Warning: %s\n", warning.c_str());
  }
}

}  // namespace

int RunGenerate(const std::vector<std::string>& args) {
  GenerateRequest request;
  if (const auto done = ReadOfferCommand("generate", args, GenerateHelp, request)) return *done;
  // Every run is a fresh process; without a seed each package would get the
  // same cookie name.
  UUtils::ProcessRandom::Seed();
  try {
    const auto outcome =
        generator::GenerateScript(request.settings, UUtils::AppFolder(), request.database);
    const bool generated = outcome.status == generator::GenerateOutcome::Status::Generated;
    std::fputs(ForTerminal(outcome.message).c_str(), generated ? stdout : stderr);
    if (generated) {
      PrintSummary(request.settings);
      // Shown this once: stconfig1.php keeps only the key's digest.
      std::printf("Set-up page: after uploading, open %s in the sales page's folder "
                  "(phpenabler.php takes the same key).\n",
                  generator::SetupAddress(outcome.setupKey).c_str());
    }
    if (generated && request.database) {
      // The password stays in the file: a terminal's scroll-back and logs are no place for it.
      std::printf(
          "Database: %s, offer key %s. %s holds the password: upload it with the package "
          "to every web server, and open stchmod.php on one of them.\n",
          request.database->dsn.c_str(), outcome.databaseKey.c_str(), generator::kDatabaseFile);
    }
    return generated ? 0 : 1;
  } catch (const UUtils::AppError& e) {
    std::fprintf(stderr, "tolvan generate: %s\n", e.what());
    return 1;
  }
}

}  // namespace cli
