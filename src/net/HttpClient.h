#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace net {

// A request that did not deliver a successful answer: no connection, a name
// that does not resolve, a status other than 2xx once redirects have been
// followed, a refused body write.
class HttpError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A request that was cut short on purpose (Abort), ended to make way for a
// user's request, or refused because another one was running. Nothing about
// it is worth telling the user.
class HttpInterrupted : public HttpError {
 public:
  using HttpError::HttpError;
};

// One part of a multipart/form-data body: a name and raw bytes.
struct FormField {
  std::string name;
  std::string value;
};

// Who waits for a request: the user, who asked for it, or nobody in
// particular (a check the program makes by itself).
enum class Priority { User, Background };

// The one HTTP client of the process. Requests block the caller, but Qt's
// events keep being processed while they run, so windows repaint and take
// input. One request at a time: a user's request started while a background
// one runs ends that one (it throws HttpInterrupted when its caller gets
// control back) and goes ahead; any other request started while one runs
// fails at once. Cookies that servers set are kept for the life of the
// process; redirects are followed.
//
// What a server sends is bounded: every request names the largest body it
// takes, and one that goes beyond it fails. A request fails when the
// connection is not made within the connect time-out, or when no byte has
// arrived for the idle time-out while the client listened (time spent in a
// dialog opened during the request does not count).
class HttpClient {
 public:
  static HttpClient& Instance();

  // POSTs `fields` in order as multipart/form-data, each part with only its
  // Content-Disposition, as HTTP/1.0 on a fresh connection (open ones are
  // closed first). Returns the answer body, of at most `maxBody` bytes.
  std::string PostMultipart(const std::string& url, const std::vector<FormField>& fields,
                            std::size_t maxBody, Priority priority = Priority::User);

  // GETs `url`, handing the body to `sink` as it arrives; a sink that returns
  // false, or a body beyond `maxBody` bytes, fails the request.
  using BodySink = std::function<bool(std::string_view chunk)>;
  void Get(const std::string& url, const BodySink& sink, std::size_t maxBody,
           Priority priority = Priority::User);

  // Ends the running request at once (it throws HttpInterrupted) and closes
  // every open connection.
  void Abort();

  bool Busy() const;
  // Whether a request of `priority` started now would be refused.
  bool Refuses(Priority priority) const;

  static constexpr std::chrono::milliseconds kConnectTimeout{15000};
  static constexpr std::chrono::milliseconds kIdleTimeout{30000};
  // Test seam: the time-outs of the requests that follow.
  static void SetTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds idle);

  // Test seam: while on, a request for any host but the loopback fails at
  // once like one to an unreachable host, so no test ever leaves the machine.
  static void LoopbackOnly(bool on);

  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

 private:
  HttpClient();
  ~HttpClient();

  struct State;
  // The state, made with the first request.
  State& Started();
  std::unique_ptr<State> state_;
};

}  // namespace net
