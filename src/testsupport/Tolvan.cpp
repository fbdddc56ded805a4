#include "testsupport/Tolvan.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "testsupport/TempFolder.h"
#include "util/TextLines.h"

namespace testsupport {

std::string BuiltAppFolder() { return TEST_APP_DIR; }

RunResult RunProgram(const std::string& program, const std::vector<std::string>& args) {
  const TempFolder folder;
  const std::string outPath = folder.Path("stdout"), errPath = folder.Path("stderr");
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
    ::dup2(::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, UUtils::ReadFileBytes(outPath),
          UUtils::ReadFileBytes(errPath)};
}

RunResult RunTolvan(const std::vector<std::string>& args) {
  return RunProgram(BuiltAppFolder() + "tolvan", args);
}

}  // namespace testsupport
