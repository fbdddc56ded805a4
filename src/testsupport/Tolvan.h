#pragma once

#include <string>
#include <vector>

namespace testsupport {

struct RunResult {
  int exitCode;  // -1 when the program did not exit normally
  std::string out, err;
};

// The program folder of the build, ending in '/'.
std::string BuiltAppFolder();

// Runs `program` with these arguments and waits for it, keeping what it
// writes to its standard output and error.
RunResult RunProgram(const std::string& program, const std::vector<std::string>& args);

// Runs the built tolvan.
RunResult RunTolvan(const std::vector<std::string>& args);

}  // namespace testsupport
