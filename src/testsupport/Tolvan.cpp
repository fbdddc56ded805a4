#include "testsupport/Tolvan.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <thread>

#include "util/TextLines.h"

extern char** environ;

namespace testsupport {

std::string BuiltAppFolder() { return TEST_APP_DIR; }

RunningProgram::RunningProgram(
    const std::string& program, const std::vector<std::string>& args,
    const std::vector<std::pair<std::string, std::string>>& environment) {
  std::vector<std::string> entries;
  for (char** entry = environ; *entry; ++entry) {
    const std::string text = *entry;
    bool replaced = false;
    for (const auto& [name, value] : environment) replaced |= text.rfind(name + "=", 0) == 0;
    if (!replaced) entries.push_back(text);
  }
  for (const auto& [name, value] : environment) entries.push_back(name + "=" + value);
  std::vector<char*> argv{const_cast<char*>(program.c_str())}, envp;
  for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  for (const auto& entry : entries) envp.push_back(const_cast<char*>(entry.c_str()));
  argv.push_back(nullptr);
  envp.push_back(nullptr);
  // Made before it starts, so that they can be read at once.
  const int out = ::open(folder_.Path("stdout").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  const int err = ::open(folder_.Path("stderr").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);

  pid_ = ::fork();
  if (pid_ == 0) {
    ::dup2(out, 1);
    ::dup2(err, 2);
    ::execve(program.c_str(), argv.data(), envp.data());
    ::_exit(127);
  }
  ::close(out);
  ::close(err);
}

RunningProgram::~RunningProgram() {
  if (pid_ > 0) Stop(SIGKILL);
}

std::string RunningProgram::WaitForOutput(const std::string& text) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (std::chrono::steady_clock::now() < deadline) {
    const std::string out = UUtils::ReadFileBytes(folder_.Path("stdout"));
    if (out.find(text) != std::string::npos) return out;
    if (pid_ <= 0 || ::waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      throw std::runtime_error("the program ended without writing \"" + text +
                               "\"; its errors: " + UUtils::ReadFileBytes(folder_.Path("stderr")));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  throw std::runtime_error("the program wrote no \"" + text + "\" within a minute");
}

RunResult RunningProgram::Wait() {
  int status = 0;
  const bool ended = pid_ > 0 && ::waitpid(pid_, &status, 0) == pid_;
  pid_ = -1;
  return {ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1,
          UUtils::ReadFileBytes(folder_.Path("stdout")),
          UUtils::ReadFileBytes(folder_.Path("stderr"))};
}

RunResult RunningProgram::Stop(int signal) {
  if (pid_ > 0) ::kill(pid_, signal);
  return Wait();
}

RunResult RunProgram(const std::string& program, const std::vector<std::string>& args) {
  return RunningProgram(program, args).Wait();
}

RunResult RunTolvan(const std::vector<std::string>& args) {
  return RunProgram(BuiltAppFolder() + "tolvan", args);
}

}  // namespace testsupport
