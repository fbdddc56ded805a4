#pragma once

#include <string>
#include <vector>

namespace UUtils {

// What the program asked the system to start.
struct LaunchRequest {
  std::string program;
  std::vector<std::string> arguments;
};

// Starts programs detached from this process: they outlive it and are never
// waited for. Test seam like the message box's: while recording, nothing is
// started and every request is kept instead, and reported as started.
class Launcher {
 public:
  // `program` is a path or a name looked up in PATH; each argument is handed
  // over as it is. False when the program cannot be found or started.
  static bool Start(const std::string& program, const std::vector<std::string>& arguments);

  static void RecordOnly(bool on);
  static const std::vector<LaunchRequest>& Recorded();
  static void ClearRecorded();
};

// The file that starting `program` would run: a name with a slash as it is,
// any other name looked up in PATH. Empty when there is no such executable.
std::string FindProgram(const std::string& program);

// Opens `address` in the web browser: the first word of $BROWSER when that
// is set, else xdg-open, with the address as its one argument, unchanged.
// False when there is no such program; a failure is never shown. An empty
// address opens nothing and gives false.
bool OpenURL(const std::string& address);

// Opens `address` with the desktop's handler for its kind (xdg-open); an
// empty address opens nothing.
bool ShellOpen(const std::string& address);

}  // namespace UUtils
