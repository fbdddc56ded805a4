#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace UUtils {

// A program to start with Spawn, and how it is tied to this process.
struct SpawnRequest {
  // The executable's path, and the arguments it is handed, its own name first.
  std::string file;
  std::vector<std::string> arguments;
  // The file its output and errors are appended to, made readable by the user only when missing;
  // empty: they go where this process's go.
  std::string output;
  enum class Tie {
    // A child in a process group of its own, which the caller stops and waits for. It gets
    // SIGTERM should this process end first, and a Ctrl+C meant for this process misses it.
    Kept,
    // A grandchild in a session of its own, reparented to init at once: it outlives this process
    // and nothing is left to wait for.
    Detached,
  } tie = Tie::Kept;
};

// Starts `request.file` with its input from /dev/null, no descriptor of this process but the
// standard three, and no signal blocked or ignored (this process may hold some back while it
// serves). Returns the kept child's id, which is its process group's too, or 0 for a detached
// one; -1 with errno set when the program cannot be started, an exec that fails among them.
pid_t Spawn(const SpawnRequest& request);

}  // namespace UUtils
