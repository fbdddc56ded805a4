#include "testsupport/PhpServer.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <thread>

#include "util/Loopback.h"

extern char** environ;

namespace testsupport {

namespace {

pid_t Spawn(const std::vector<std::string>& args,
            const std::vector<std::pair<std::string, std::string>>& extra) {
  std::vector<std::string> environment;
  for (char** entry = environ; *entry; ++entry) environment.emplace_back(*entry);
  for (const auto& [name, value] : extra) environment.push_back(name + "=" + value);
  std::vector<char*> argv, envp;
  for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  for (const auto& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
  argv.push_back(nullptr);
  envp.push_back(nullptr);

  const pid_t pid = ::fork();
  if (pid == 0) {
    // A group of its own, so that stopping it stops its workers too.
    ::setpgid(0, 0);
    // The server's request log would only clutter the test output.
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, STDIN_FILENO);
    ::dup2(null, STDOUT_FILENO);
    ::dup2(null, STDERR_FILENO);
    ::execvpe(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
  return pid;
}

}  // namespace

int FreePort() { return UUtils::FreeLoopbackPort(); }

PhpServer::PhpServer(const std::string& root, const Options& options) {
  // Another test run may take the port between our look and PHP's bind:
  // PHP then exits, and the next free port is tried.
  for (int attempt = 0; attempt < 5; ++attempt) {
    port_ = FreePort();
    std::vector<std::string> args{"php"};
    for (const auto& setting : options.iniSettings) args.insert(args.end(), {"-d", setting});
    args.insert(args.end(), {"-S", "127.0.0.1:" + std::to_string(port_), "-t", root});
    pid_ = Spawn(args, options.environment);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (std::chrono::steady_clock::now() < deadline) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        break;
      }
      if (UUtils::LoopbackListens(port_)) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (pid_ > 0) break;
  }
  Stop();
  throw std::runtime_error("PHP's built-in server did not start on " + root);
}

PhpServer::~PhpServer() { Stop(); }

void PhpServer::Stop() {
  if (pid_ <= 0) return;
  ::kill(-pid_, SIGTERM);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

std::string PhpServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + "/" + path;
}

}  // namespace testsupport
