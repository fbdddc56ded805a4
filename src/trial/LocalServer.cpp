#include "trial/LocalServer.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "util/AppError.h"
#include "util/Loopback.h"
#include "util/TextLines.h"

namespace trial {

namespace {

using Clock = std::chrono::steady_clock;

// Another program may take the port between our look and PHP's bind; PHP then ends, and the next
// free port is tried.
constexpr int kAttempts = 5;
constexpr auto kStartTime = std::chrono::seconds(15);
constexpr auto kStopTime = std::chrono::seconds(5);
constexpr auto kPoll = std::chrono::milliseconds(20);

// Starts `args` in a process group of its own with no input and its output appended to `log`.
pid_t Spawn(const std::vector<std::string>& args, const std::string& log) {
  // Everything the child needs is made before forking: between fork and exec only
  // async-signal-safe calls are allowed.
  std::vector<char*> argv;
  for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setpgid(0, 0);
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) ::_exit(127);
    // This program may hold signals back or ignore them while it serves; the server must not.
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) ::sigaction(signal, &standard, nullptr);
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (in < 0 || out < 0) ::_exit(127);
    ::dup2(in, STDIN_FILENO);
    ::dup2(out, STDOUT_FILENO);
    ::dup2(out, STDERR_FILENO);
    ::close_range(3, ~0U, 0);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  // Set here too, so that stopping it reaches the group even before the child has run.
  if (pid > 0) ::setpgid(pid, pid);
  return pid;
}

// The end of what the server wrote, which says why it did not come up.
std::string LastWords(const std::string& log) {
  std::string text;
  try {
    text = UUtils::ReadFileBytes(log);
  } catch (const UUtils::AppError&) {
  }
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  constexpr std::size_t kMost = 500;
  if (text.size() > kMost) text = "..." + text.substr(text.size() - kMost);
  return text.empty() ? "It said nothing." : "It said:\n" + text;
}

}  // namespace

LocalServer::LocalServer(const std::string& php, const std::string& root, const std::string& log) {
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    port_ = UUtils::FreeLoopbackPort();
    pid_ = Spawn({php, "-S", "127.0.0.1:" + std::to_string(port_), "-t", root}, log);
    if (pid_ < 0) {
      throw UUtils::AppError("Cannot start " + php + ". " + std::strerror(errno) + ".");
    }
    const auto deadline = Clock::now() + kStartTime;
    while (Running() && Clock::now() < deadline) {
      if (UUtils::LoopbackListens(port_)) return;
      std::this_thread::sleep_for(kPoll);
    }
    if (pid_ > 0) {
      Stop();
      throw UUtils::AppError("PHP's built-in server did not answer within 15 seconds. " +
                             LastWords(log));
    }
  }
  throw UUtils::AppError("PHP's built-in server did not start. " + LastWords(log));
}

LocalServer::~LocalServer() { Stop(); }

bool LocalServer::Running() {
  if (pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == pid_) pid_ = -1;
  return pid_ > 0;
}

void LocalServer::Stop() {
  if (pid_ <= 0) return;
  ::kill(-pid_, SIGTERM);
  const auto deadline = Clock::now() + kStopTime;
  while (Running() && Clock::now() < deadline) std::this_thread::sleep_for(kPoll);
  if (pid_ <= 0) return;
  ::kill(-pid_, SIGKILL);
  while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
}

}  // namespace trial
