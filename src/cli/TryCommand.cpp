// tolvan try: the window's "Try it here" from the command line, serving until interrupted.
#include <signal.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/GenerateOptions.h"
#include "trial/Trial.h"
#include "util/AppError.h"
#include "util/AppFolder.h"
#include "util/ProcessRandom.h"

namespace cli {

namespace {

std::string TryHelp() {
  return "Usage: tolvan try --page PATH [OPTIONS]\n"
         "\n"
         "Tries the offer on this computer before it is uploaded: copies the sales page's\n"
         "folder into a temporary folder, generates the script package into the copy as\n"
         "'tolvan generate' would, and serves the copy with PHP's built-in server on\n"
         "127.0.0.1, printing the sales page's address, until interrupted (Ctrl+C). The\n"
         "page's own folder is never written; the copy is removed at the end.\n"
         "\n" +
         OfferOptionsHelp() +
         "Exit codes: 0 served until interrupted; 1 no valid page, no PHP, a file error,\n"
         "or a server that would not start or ended on its own; 2 a bad option.\n";
}

// What ends a try: an interruption, a hang-up or the server's own end. They are held back from
// before the try starts, so that one arriving at any moment is waited for and the try always
// ends by stopping its server and removing its copy.
sigset_t EndingSignals() {
  sigset_t signals;
  ::sigemptyset(&signals);
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGCHLD}) ::sigaddset(&signals, signal);
  return signals;
}

}  // namespace

int RunTry(const std::vector<std::string>& args) {
  GenerateRequest request;
  if (const auto done = ReadOfferCommand("try", args, TryHelp, request)) return *done;
  const std::string php = trial::FindPhp();
  if (php.empty()) {
    std::fprintf(stderr, "tolvan try: %s\n", trial::kPhpMissingMessage);
    return 1;
  }
  // Every run is a fresh process; without a seed each package would get the same cookie name.
  UUtils::ProcessRandom::Seed();
  const sigset_t ending = EndingSignals();
  ::sigprocmask(SIG_BLOCK, &ending, nullptr);
  try {
    trial::Trial trial(request.settings, UUtils::AppFolder(), php);
    std::printf("Trying the offer of %s on this computer; press Ctrl+C to stop.\n%s\n",
                request.settings.page.c_str(), trial.Address().c_str());
    std::fflush(stdout);
    int signal = 0;
    do {
      ::sigwait(&ending, &signal);
      if (signal == SIGCHLD && !trial.Serving()) {
        throw UUtils::AppError("PHP's built-in server ended on its own.");
      }
    } while (signal == SIGCHLD);
  } catch (const UUtils::AppError& e) {
    std::fprintf(stderr, "tolvan try: %s\n", e.what());
    return 1;
  }
  std::printf("Stopped; the copy is removed.\n");
  return 0;
}

}  // namespace cli
