#pragma once

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// PHP's built-in web server on a free port of 127.0.0.1, serving one folder,
// running from construction to destruction.
class PhpServer {
 public:
  struct Options {
    std::vector<std::pair<std::string, std::string>> environment;  // added to ours
    std::vector<std::string> iniSettings;                          // "name=value", as -d
  };

  // Throws std::runtime_error when the server does not come up.
  explicit PhpServer(const std::string& root, const Options& options = {});
  ~PhpServer();
  PhpServer(const PhpServer&) = delete;
  PhpServer& operator=(const PhpServer&) = delete;

  int Port() const { return port_; }
  // "http://127.0.0.1:<port>/" followed by `path`.
  std::string Url(const std::string& path = "") const;

 private:
  void Stop();

  pid_t pid_ = -1;
  int port_ = 0;
};

// A loopback port on which nothing listens at the moment of the call.
int FreePort();

}  // namespace testsupport
