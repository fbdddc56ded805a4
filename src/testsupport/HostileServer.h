#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

// A web server on a free port of 127.0.0.1 that answers as badly as it is
// told to: any bytes, trickled, stalled, without end, cut off. It runs on
// threads of its own, one for each connection, from construction to
// destruction, and reads each request (headers and a Content-Length body)
// before it answers.
class HostileServer {
 public:
  // What the server does with a request: sends `bytes` exactly as they are
  // (status line, headers and body: nothing is added), pausing `trickleMs`
  // before each byte, then sends `repeat` again and again while it is not
  // empty and the client listens, and then closes the connection or keeps it
  // open without a further byte until the server goes.
  struct Reply {
    std::string bytes;
    int trickleMs = 0;
    std::string repeat;
    bool stall = false;
  };

  // A plain success: status 200 with a Content-Length and `body`.
  static Reply Ok(const std::string& body);
  // Status 200 with a body that never ends.
  static Reply Endless();
  // Nothing at all, with the connection held open.
  static Reply Stall();

  // Paths without a reply answer 404.
  HostileServer();
  ~HostileServer();
  HostileServer(const HostileServer&) = delete;
  HostileServer& operator=(const HostileServer&) = delete;

  // How requests for `path` ("/news/getlastnews.php", no query) are answered.
  void On(const std::string& path, Reply reply);

  // "http://127.0.0.1:<port>/" followed by `path`.
  std::string Url(const std::string& path = "") const;
  // Requests received for `path`, and the bytes sent in answer to them.
  int Requests(const std::string& path) const;
  std::int64_t BytesSent(const std::string& path) const;

 private:
  struct Served {
    int requests = 0;
    std::int64_t bytesSent = 0;
  };
  void Accept();
  void Serve(int client);
  bool Send(int client, const std::string& path, const char* data, size_t size);

  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  mutable std::mutex mutex_;
  std::map<std::string, Reply> replies_;
  std::map<std::string, Served> served_;
  std::vector<int> clients_;
  std::vector<std::thread> threads_;
  std::thread acceptor_;
};

}  // namespace testsupport
