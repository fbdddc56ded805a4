#include "util/Launch.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>

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

  // Everything the children need is made before forking: between fork and
  // exec only async-signal-safe calls are allowed.
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return false;

  // A grandchild in its own session: reparented to init as soon as the
  // child ends, so nothing is left for this process to wait for. It writes
  // errno to the pipe only when exec fails; a successful exec closes it.
  const pid_t child = ::fork();
  if (child == 0) {
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild == 0) {
      const int null = ::open("/dev/null", O_RDONLY);
      if (null >= 0) ::dup2(null, STDIN_FILENO);
      ::execv(file.c_str(), argv.data());
      const int error = errno;
      (void)!::write(report[1], &error, sizeof error);
      ::_exit(127);
    }
    if (grandchild < 0) {
      const int error = errno;
      (void)!::write(report[1], &error, sizeof error);
    }
    ::_exit(0);
  }
  ::close(report[1]);
  int error = child < 0 ? errno : 0;
  if (child > 0) {
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    ssize_t got;
    while ((got = ::read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    if (got != sizeof error) error = 0;
  }
  ::close(report[0]);
  return error == 0;
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
