#pragma once

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

#include "testsupport/TempFolder.h"

namespace testsupport {

struct RunResult {
  int exitCode;  // -1 when the program did not exit normally
  std::string out, err;
};

// The program folder of the build, ending in '/'.
std::string BuiltAppFolder();

// A program running beside the test, what it writes to its standard output
// and error kept; killed at the latest when the object goes.
class RunningProgram {
 public:
  // `environment` is added to ours, replacing what has the same names.
  RunningProgram(const std::string& program, const std::vector<std::string>& args,
                 const std::vector<std::pair<std::string, std::string>>& environment = {});
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  // Its standard output so far, once that holds `text`. Throws
  // std::runtime_error when it has ended or a minute has passed without.
  std::string WaitForOutput(const std::string& text);
  // Waits for its end.
  RunResult Wait();
  // Sends `signal` and waits for its end.
  RunResult Stop(int signal);

 private:
  TempFolder folder_;
  pid_t pid_ = -1;
};

// Runs `program` with these arguments and waits for it, keeping what it
// writes to its standard output and error.
RunResult RunProgram(const std::string& program, const std::vector<std::string>& args);

// Runs the built tolvan.
RunResult RunTolvan(const std::vector<std::string>& args);

}  // namespace testsupport
