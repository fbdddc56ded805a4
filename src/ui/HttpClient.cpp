#include "ui/HttpClient.h"

#include <QCoreApplication>

#include "ui/CurlLibrary.h"

namespace ui {

namespace {

constexpr char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 5.5; Windows NT 4.0)";
constexpr char kAccept[] = "Accept: text/html, */*";
// How long one wait for network activity may keep Qt's events waiting.
constexpr int kEventSliceMs = 10;
constexpr long kMaxRedirects = 20;

template <typename T, void (*Free)(T*)>
struct Deleter {
  void operator()(T* p) const { Free(p); }
};
// Only what the loaded library made is ever freed, so it is loaded by then.
void FreeEasy(CURL* easy) { Curl().easy_cleanup(easy); }
void FreeMulti(CURLM* multi) { Curl().multi_cleanup(multi); }
void FreeShare(CURLSH* share) { Curl().share_cleanup(share); }
void FreeHeaders(curl_slist* list) { Curl().slist_free_all(list); }
void FreeMime(curl_mime* mime) { Curl().mime_free(mime); }

using Easy = std::unique_ptr<CURL, Deleter<CURL, FreeEasy>>;
using Multi = std::unique_ptr<CURLM, Deleter<CURLM, FreeMulti>>;
using Share = std::unique_ptr<CURLSH, Deleter<CURLSH, FreeShare>>;
using Headers = std::unique_ptr<curl_slist, Deleter<curl_slist, FreeHeaders>>;
using Mime = std::unique_ptr<curl_mime, Deleter<curl_mime, FreeMime>>;

// Where libcurl hands the body: the caller's sink, or a refusal remembered.
struct Receiver {
  const HttpClient::BodySink* sink = nullptr;
  bool refused = false;
};

size_t ReceiveBody(char* data, size_t size, size_t count, void* user) {
  auto* receiver = static_cast<Receiver*>(user);
  const size_t bytes = size * count;
  if (!(*receiver->sink)(std::string_view(data, bytes))) {
    receiver->refused = true;
    return 0;
  }
  return bytes;
}

void Check(CURLcode code) {
  if (code != CURLE_OK) throw HttpError(Curl().easy_strerror(code));
}

bool loopbackOnly = false;

void CheckLoopback(const std::string& url) {
  if (!loopbackOnly) return;
  const CurlLibrary& curl = Curl();
  std::string host;
  if (CURLU* parsed = curl.url()) {
    char* part = nullptr;
    if (curl.url_set(parsed, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK &&
        curl.url_get(parsed, CURLUPART_HOST, &part, 0) == CURLUE_OK) {
      host = part;
      curl.free(part);
    }
    curl.url_cleanup(parsed);
  }
  if (host != "127.0.0.1" && host != "localhost" && host != "[::1]") {
    throw HttpError("Could not resolve host: " + host + " (only loopback addresses in tests)");
  }
}

}  // namespace

struct HttpClient::State {
  State();

  Share share;
  Multi multi;
  bool busy = false;
  bool aborted = false;

  // One transfer on `easy`, driven from this thread with Qt's events
  // processed between the waits for the network.
  void Run(CURL* easy, Receiver& receiver);
};

HttpClient::State::State() {
  const CurlLibrary& curl = Curl();
  // Cookies outlive each transfer's handle: they are shared by all of them.
  share.reset(curl.share_init());
  if (!share) throw HttpError("Out of memory");
  curl.share_setopt(share.get(), CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
  curl.share_setopt(share.get(), CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
}

// The network library is loaded with the first request.
HttpClient::HttpClient() = default;

HttpClient::~HttpClient() = default;

HttpClient::State& HttpClient::Started() {
  if (!state_) state_ = std::make_unique<State>();
  return *state_;
}

HttpClient& HttpClient::Instance() {
  static HttpClient client;
  return client;
}

bool HttpClient::Busy() const { return state_ && state_->busy; }

void HttpClient::LoopbackOnly(bool on) { loopbackOnly = on; }

void HttpClient::Abort() {
  if (!state_) return;  // no request was ever made
  state_->aborted = state_->busy;
  // Without the multi handle every connection it kept is closed; a running
  // transfer notices the abort at its next turn and drops it then.
  if (!state_->busy) state_->multi.reset();
}

namespace {

// One request's handle with what it points at; the handle goes first.
struct Transfer {
  Receiver receiver;
  Headers headers;
  Mime mime;
  Easy easy;
};

// A transfer with the settings every request shares.
void Prepare(Transfer& t, CURLSH* share, const std::string& url) {
  CheckLoopback(url);
  const CurlLibrary& curl = Curl();
  t.headers.reset(curl.slist_append(nullptr, kAccept));
  t.easy.reset(curl.easy_init());
  if (!t.headers || !t.easy) throw HttpError("Out of memory");
  CURL* e = t.easy.get();
  Check(curl.easy_setopt(e, CURLOPT_URL, url.c_str()));
  // A brand's address may only ever lead to a web server.
  Check(curl.easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https"));
  Check(curl.easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https"));
  Check(curl.easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L));
  Check(curl.easy_setopt(e, CURLOPT_MAXREDIRS, kMaxRedirects));
  Check(curl.easy_setopt(e, CURLOPT_SHARE, share));
  Check(curl.easy_setopt(e, CURLOPT_COOKIEFILE, ""));
  Check(curl.easy_setopt(e, CURLOPT_USERAGENT, kUserAgent));
  Check(curl.easy_setopt(e, CURLOPT_HTTPHEADER, t.headers.get()));
  Check(curl.easy_setopt(e, CURLOPT_NOSIGNAL, 1L));
  Check(curl.easy_setopt(e, CURLOPT_WRITEFUNCTION, ReceiveBody));
  Check(curl.easy_setopt(e, CURLOPT_WRITEDATA, &t.receiver));
}

}  // namespace

void HttpClient::State::Run(CURL* easy, Receiver& receiver) {
  const CurlLibrary& curl = Curl();
  if (!multi) multi.reset(curl.multi_init());
  if (!multi) throw HttpError("Out of memory");
  CURLM* m = multi.get();
  if (curl.multi_add_handle(m, easy) != CURLM_OK) throw HttpError("Cannot start the request");

  CURLcode result = CURLE_OK;
  bool done = false;
  while (!done && !aborted) {
    int running = 0;
    if (curl.multi_perform(m, &running) != CURLM_OK) break;
    int queued = 0;
    while (CURLMsg* message = curl.multi_info_read(m, &queued)) {
      if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
        result = message->data.result;
        done = true;
      }
    }
    if (done) break;
    curl.multi_poll(m, nullptr, 0, kEventSliceMs, nullptr);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
  curl.multi_remove_handle(m, easy);

  if (aborted) {
    multi.reset();
    throw HttpInterrupted("The request was aborted");
  }
  if (!done) throw HttpError("The request failed");
  if (receiver.refused) throw HttpError("The answer could not be stored");
  Check(result);
  long status = 0;
  curl.easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
  if (status < 200 || status > 299) throw HttpError("HTTP status " + std::to_string(status));
}

namespace {

// Marks the client busy for one request and refuses a nested one.
class BusyScope {
 public:
  BusyScope(bool& busy, bool& aborted) : busy_(busy) {
    if (busy_) throw HttpInterrupted("Another request is running");
    busy_ = true;
    aborted = false;
  }
  ~BusyScope() { busy_ = false; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  bool& busy_;
};

}  // namespace

std::string HttpClient::PostMultipart(const std::string& url,
                                      const std::vector<FormField>& fields) {
  State& state = Started();
  BusyScope scope(state.busy, state.aborted);
  std::string body;
  const BodySink collect = [&body](std::string_view chunk) {
    body.append(chunk);
    return true;
  };
  Transfer t;
  t.receiver.sink = &collect;
  Prepare(t, state.share.get(), url);
  CURL* e = t.easy.get();

  const CurlLibrary& curl = Curl();
  t.mime.reset(curl.mime_init(e));
  if (!t.mime) throw HttpError("Out of memory");
  for (const FormField& field : fields) {
    curl_mimepart* part = curl.mime_addpart(t.mime.get());
    if (!part) throw HttpError("Out of memory");
    Check(curl.mime_name(part, field.name.c_str()));
    Check(curl.mime_data(part, field.value.data(), field.value.size()));
  }
  Check(curl.easy_setopt(e, CURLOPT_MIMEPOST, t.mime.get()));
  Check(curl.easy_setopt(e, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_0)));
  // The form goes out on a connection of its own; whatever an earlier
  // request left open is closed first.
  state.multi.reset();
  Check(curl.easy_setopt(e, CURLOPT_FRESH_CONNECT, 1L));

  state.Run(e, t.receiver);
  return body;
}

void HttpClient::Get(const std::string& url, const BodySink& sink) {
  State& state = Started();
  BusyScope scope(state.busy, state.aborted);
  Transfer t;
  t.receiver.sink = &sink;
  Prepare(t, state.share.get(), url);
  state.Run(t.easy.get(), t.receiver);
}

}  // namespace ui
