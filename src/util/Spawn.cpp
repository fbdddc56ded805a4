#include "util/Spawn.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace UUtils {

namespace {

// Between fork and exec only async-signal-safe calls are allowed: everything the child needs is
// made before forking.

// Tells the parent why the child could not start, through the report pipe, and ends the child.
[[noreturn]] void Fail(int report) {
  const int error = errno;
  (void)!::write(report, &error, sizeof error);
  ::_exit(127);
}

// Turns this child into `file`. The report pipe is closed on exec, which the parent reads as a
// start.
[[noreturn]] void Exec(const char* file, char* const* argv, const char* output, int report) {
  sigset_t none;
  ::sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  struct sigaction standard {};
  standard.sa_handler = SIG_DFL;
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) ::sigaction(signal, &standard, nullptr);
  const int in = ::open("/dev/null", O_RDONLY);
  if (in < 0 || ::dup2(in, STDIN_FILENO) < 0) Fail(report);
  if (*output) {
    const int out = ::open(output, O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (out < 0 || ::dup2(out, STDOUT_FILENO) < 0 || ::dup2(out, STDERR_FILENO) < 0) Fail(report);
  }
  if (report > 3) ::close_range(3, report - 1, 0);
  ::close_range(report + 1, ~0U, 0);
  ::execv(file, argv);
  Fail(report);
}

}  // namespace

pid_t Spawn(const SpawnRequest& request) {
  std::vector<char*> argv;
  for (const auto& argument : request.arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  const char* file = request.file.c_str();
  const char* output = request.output.c_str();
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return -1;

  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (request.tie == SpawnRequest::Tie::Kept) {
      ::setpgid(0, 0);
      ::prctl(PR_SET_PDEATHSIG, SIGTERM);
      if (::getppid() != parent) ::_exit(127);
      Exec(file, argv.data(), output, report[1]);
    }
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild == 0) Exec(file, argv.data(), output, report[1]);
    if (grandchild < 0) Fail(report[1]);
    ::_exit(0);
  }
  ::close(report[1]);
  int error = pid < 0 ? errno : 0;
  if (pid > 0) {
    // Set here too, so that stopping the group reaches it even before the child has run.
    if (request.tie == SpawnRequest::Tie::Kept) ::setpgid(pid, pid);
    ssize_t got;
    while ((got = ::read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    if (got != sizeof error) error = 0;
    // The child that only made the detached one ends at once; a kept one that failed is reaped.
    if (request.tie == SpawnRequest::Tie::Detached || error != 0) {
      while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
      }
    }
  }
  ::close(report[0]);
  if (error != 0) {
    errno = error;
    return -1;
  }
  return request.tie == SpawnRequest::Tie::Kept ? pid : 0;
}

}  // namespace UUtils
