#include "util/Launch.h"

#include <unistd.h>

#include <cstdlib>
#include <sstream>

#include "util/Spawn.h"

namespace UUtils {

namespace {

struct Seam {
  bool recording = false;
  std::vector<LaunchRequest> recorded;
};

Seam& TheSeam() {
  static Seam seam;
  return seam;
}

}  // namespace

std::string FindProgram(const std::string& program) {
  if (program.empty()) return {};
  if (program.find('/') != std::string::npos) {
    return ::access(program.c_str(), X_OK) == 0 ? program : std::string();
  }
  const char* path = std::getenv("PATH");
  std::istringstream folders(path ? path : "/usr/local/bin:/usr/bin:/bin");
  for (std::string folder; std::getline(folders, folder, ':');) {
    const std::string candidate = (folder.empty() ? "." : folder) + "/" + program;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

bool Launcher::Start(const std::string& program, const std::vector<std::string>& arguments) {
  auto& seam = TheSeam();
  if (seam.recording) {
    seam.recorded.push_back({program, arguments});
    return true;
  }
  const std::string file = FindProgram(program);
  if (file.empty()) return false;

  std::vector<std::string> argv{program};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return Spawn({file, argv, {}, SpawnRequest::Tie::Detached}) == 0;
}

void Launcher::RecordOnly(bool on) {
  TheSeam().recording = on;
  TheSeam().recorded.clear();
}

const std::vector<LaunchRequest>& Launcher::Recorded() { return TheSeam().recorded; }

void Launcher::ClearRecorded() { TheSeam().recorded.clear(); }

bool OpenURL(const std::string& address) {
  // An empty address names no page: a browser started with it would only
  // show an error or a blank window.
  if (address.empty()) return false;
  std::string browser;
  if (const char* variable = std::getenv("BROWSER")) {
    std::istringstream words(variable);
    words >> browser;
  }
  return Launcher::Start(browser.empty() ? "xdg-open" : browser, {address});
}

bool ShellOpen(const std::string& address) {
  if (address.empty()) return false;
  return Launcher::Start("xdg-open", {address});
}

}  // namespace UUtils
