#include "ui/HttpClient.h"

#include <curl/curl.h>

#include <QCoreApplication>

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
void FreeEasy(CURL* easy) { curl_easy_cleanup(easy); }
void FreeMulti(CURLM* multi) { curl_multi_cleanup(multi); }
void FreeShare(CURLSH* share) { curl_share_cleanup(share); }
void FreeHeaders(curl_slist* list) { curl_slist_free_all(list); }
void FreeMime(curl_mime* mime) { curl_mime_free(mime); }

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
  if (code != CURLE_OK) throw HttpError(curl_easy_strerror(code));
}

bool loopbackOnly = false;

void CheckLoopback(const std::string& url) {
  if (!loopbackOnly) return;
  std::string host;
  if (CURLU* parsed = curl_url()) {
    char* part = nullptr;
    if (curl_url_set(parsed, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK &&
        curl_url_get(parsed, CURLUPART_HOST, &part, 0) == CURLUE_OK) {
      host = part;
      curl_free(part);
    }
    curl_url_cleanup(parsed);
  }
  if (host != "127.0.0.1" && host != "localhost" && host != "[::1]") {
    throw HttpError("Could not resolve host: " + host + " (only loopback addresses in tests)");
  }
}

}  // namespace

struct HttpClient::State {
  Share share;
  Multi multi;
  bool busy = false;
  bool aborted = false;

  // One transfer on `easy`, driven from this thread with Qt's events
  // processed between the waits for the network.
  void Run(CURL* easy, Receiver& receiver);
};

HttpClient::HttpClient() : state_(std::make_unique<State>()) {
  curl_global_init(CURL_GLOBAL_DEFAULT);
  // Cookies outlive each transfer's handle: they are shared by all of them.
  state_->share.reset(curl_share_init());
  curl_share_setopt(state_->share.get(), CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
  curl_share_setopt(state_->share.get(), CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
}

HttpClient::~HttpClient() = default;

HttpClient& HttpClient::Instance() {
  static HttpClient client;
  return client;
}

bool HttpClient::Busy() const { return state_->busy; }

void HttpClient::LoopbackOnly(bool on) { loopbackOnly = on; }

void HttpClient::Abort() {
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
  t.headers.reset(curl_slist_append(nullptr, kAccept));
  t.easy.reset(curl_easy_init());
  if (!t.headers || !t.easy) throw HttpError("Out of memory");
  CURL* e = t.easy.get();
  Check(curl_easy_setopt(e, CURLOPT_URL, url.c_str()));
  // A brand's address may only ever lead to a web server.
  Check(curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https"));
  Check(curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https"));
  Check(curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L));
  Check(curl_easy_setopt(e, CURLOPT_MAXREDIRS, kMaxRedirects));
  Check(curl_easy_setopt(e, CURLOPT_SHARE, share));
  Check(curl_easy_setopt(e, CURLOPT_COOKIEFILE, ""));
  Check(curl_easy_setopt(e, CURLOPT_USERAGENT, kUserAgent));
  Check(curl_easy_setopt(e, CURLOPT_HTTPHEADER, t.headers.get()));
  Check(curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L));
  Check(curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, ReceiveBody));
  Check(curl_easy_setopt(e, CURLOPT_WRITEDATA, &t.receiver));
}

}  // namespace

void HttpClient::State::Run(CURL* easy, Receiver& receiver) {
  if (!multi) multi.reset(curl_multi_init());
  if (!multi) throw HttpError("Out of memory");
  CURLM* m = multi.get();
  if (curl_multi_add_handle(m, easy) != CURLM_OK) throw HttpError("Cannot start the request");

  CURLcode result = CURLE_OK;
  bool done = false;
  while (!done && !aborted) {
    int running = 0;
    if (curl_multi_perform(m, &running) != CURLM_OK) break;
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(m, &queued)) {
      if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
        result = message->data.result;
        done = true;
      }
    }
    if (done) break;
    curl_multi_poll(m, nullptr, 0, kEventSliceMs, nullptr);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
  curl_multi_remove_handle(m, easy);

  if (aborted) {
    multi.reset();
    throw HttpInterrupted("The request was aborted");
  }
  if (!done) throw HttpError("The request failed");
  if (receiver.refused) throw HttpError("The answer could not be stored");
  Check(result);
  long status = 0;
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
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
  BusyScope scope(state_->busy, state_->aborted);
  std::string body;
  const BodySink collect = [&body](std::string_view chunk) {
    body.append(chunk);
    return true;
  };
  Transfer t;
  t.receiver.sink = &collect;
  Prepare(t, state_->share.get(), url);
  CURL* e = t.easy.get();

  t.mime.reset(curl_mime_init(e));
  if (!t.mime) throw HttpError("Out of memory");
  for (const FormField& field : fields) {
    curl_mimepart* part = curl_mime_addpart(t.mime.get());
    if (!part) throw HttpError("Out of memory");
    Check(curl_mime_name(part, field.name.c_str()));
    Check(curl_mime_data(part, field.value.data(), field.value.size()));
  }
  Check(curl_easy_setopt(e, CURLOPT_MIMEPOST, t.mime.get()));
  Check(curl_easy_setopt(e, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_0)));
  // The form goes out on a connection of its own; whatever an earlier
  // request left open is closed first.
  state_->multi.reset();
  Check(curl_easy_setopt(e, CURLOPT_FRESH_CONNECT, 1L));

  state_->Run(e, t.receiver);
  return body;
}

void HttpClient::Get(const std::string& url, const BodySink& sink) {
  BusyScope scope(state_->busy, state_->aborted);
  Transfer t;
  t.receiver.sink = &sink;
  Prepare(t, state_->share.get(), url);
  state_->Run(t.easy.get(), t.receiver);
}

}  // namespace ui
