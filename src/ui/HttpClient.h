#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

// A request that did not deliver a successful answer: no connection, a name
// that does not resolve, a status other than 2xx once redirects have been
// followed, a refused body write.
class HttpError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A request that was cut short on purpose (Abort) or refused because another
// one was running. Nothing about it is worth telling the user.
class HttpInterrupted : public HttpError {
 public:
  using HttpError::HttpError;
};

// One part of a multipart/form-data body: a name and raw bytes.
struct FormField {
  std::string name;
  std::string value;
};

// The one HTTP client of the process. Requests block the caller, but Qt's
// events keep being processed while they run, so windows repaint and take
// input. One request at a time: a request started while another runs (from an
// event handler, say) fails at once. Cookies that servers set are kept for
// the life of the process; redirects are followed; there is no time-out.
class HttpClient {
 public:
  static HttpClient& Instance();

  // POSTs `fields` in order as multipart/form-data, each part with only its
  // Content-Disposition, as HTTP/1.0 on a fresh connection (open ones are
  // closed first). Returns the answer body.
  std::string PostMultipart(const std::string& url, const std::vector<FormField>& fields);

  // GETs `url`, handing the body to `sink` as it arrives; a sink that returns
  // false fails the request.
  using BodySink = std::function<bool(std::string_view chunk)>;
  void Get(const std::string& url, const BodySink& sink);

  // Ends the running request at once (it throws HttpInterrupted) and closes
  // every open connection.
  void Abort();

  bool Busy() const;

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

}  // namespace ui
