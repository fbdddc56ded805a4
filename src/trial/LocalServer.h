#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>

namespace trial {

// How the thread passes the time between two looks at a server that is starting: on a window's
// thread it handles the window's events meanwhile, so the window repaints and takes input.
// Empty: it sleeps.
using Pause = std::function<void(std::chrono::milliseconds)>;

// PHP's built-in web server serving one folder on a free port of 127.0.0.1, from construction to
// destruction. It runs in a process group of its own, so a Ctrl+C meant for this program does not
// reach it, and ends with this program should that end without stopping it.
class LocalServer {
 public:
  // Starts `php` (the interpreter's file) serving `root`, its messages going to the file `log`,
  // and returns once the server answers, passing the time between looks with `pause`. Throws
  // UUtils::AppError when it does not come up.
  LocalServer(const std::string& php, const std::string& root, const std::string& log,
              const Pause& pause = {});
  ~LocalServer();
  LocalServer(const LocalServer&) = delete;
  LocalServer& operator=(const LocalServer&) = delete;

  int Port() const { return port_; }
  // False once the server has ended on its own.
  bool Running();

 private:
  void Stop();

  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace trial
