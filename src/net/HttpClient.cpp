#include "net/HttpClient.h"

#include "net/CurlLibrary.h"
#include "net/TransferLoop.h"

namespace net {

namespace {

constexpr char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 5.5; Windows NT 4.0)";
constexpr char kAccept[] = "Accept: text/html, */*";
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

// Where libcurl hands the body: the caller's sink, up to the body's limit, or
// a refusal remembered; and a count of what came, header lines among it.
struct Receiver {
  const HttpClient::BodySink* sink = nullptr;
  std::size_t maxBody = 0;
  std::size_t received = 0;
  bool refused = false;
  bool tooLarge = false;
  std::uint64_t heard = 0;
};

size_t ReceiveBody(char* data, size_t size, size_t count, void* user) {
  auto* receiver = static_cast<Receiver*>(user);
  const size_t bytes = size * count;
  ++receiver->heard;
  if (bytes > receiver->maxBody - receiver->received) {
    receiver->tooLarge = true;
    return 0;
  }
  receiver->received += bytes;
  if (!(*receiver->sink)(std::string_view(data, bytes))) {
    receiver->refused = true;
    return 0;
  }
  return bytes;
}

size_t ReceiveHeader(char*, size_t size, size_t count, void* user) {
  ++static_cast<Receiver*>(user)->heard;
  return size * count;
}

void Check(CURLcode code) {
  if (code != CURLE_OK) throw HttpError(Curl().easy_strerror(code));
}

bool loopbackOnly = false;
std::chrono::milliseconds connectTimeout = HttpClient::kConnectTimeout;
std::chrono::milliseconds idleTimeout = HttpClient::kIdleTimeout;

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

// The request under way: its handle, who waits for it, and whether it has
// been ended from outside (Abort, or a user's request taking its place).
struct Running {
  Priority priority;
  CURL* easy = nullptr;
  bool aborted = false;
};

struct HttpClient::State {
  State();

  Share share;
  Multi multi;
  Running* running = nullptr;

  bool Refuses(Priority priority) const {
    return running && !(running->priority == Priority::Background && priority == Priority::User);
  }
  // Takes the client for `request`, ending a background request for a
  // user's; throws HttpInterrupted when it is refused.
  void Begin(Running& request);
  // Takes the running request's handle off the network; it notices when its
  // caller gets control back.
  void Drop(Running& request);

  // One transfer on `request.easy`, driven from this thread with Qt's events
  // processed between the waits for the network; it ends early when the
  // request is aborted meanwhile.
  void Run(Running& request, Receiver& receiver);
};

void HttpClient::State::Begin(Running& request) {
  if (Refuses(request.priority)) throw HttpInterrupted("Another request is running");
  if (running) Drop(*running);
  running = &request;
}

void HttpClient::State::Drop(Running& request) {
  if (multi && request.easy) Curl().multi_remove_handle(multi.get(), request.easy);
  request.aborted = true;
  if (running == &request) running = nullptr;
}

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

bool HttpClient::Busy() const { return state_ && state_->running; }

bool HttpClient::Refuses(Priority priority) const {
  return state_ && state_->Refuses(priority);
}

void HttpClient::LoopbackOnly(bool on) { loopbackOnly = on; }

void HttpClient::SetTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds idle) {
  connectTimeout = connect;
  idleTimeout = idle;
}

void HttpClient::Abort() {
  if (!state_) return;  // no request was ever made
  if (state_->running) state_->Drop(*state_->running);
  // Without the multi handle every connection it kept is closed.
  state_->multi.reset();
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
void Prepare(Transfer& t, CURLSH* share, const std::string& url, std::size_t maxBody) {
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
  Check(curl.easy_setopt(e, CURLOPT_HEADERFUNCTION, ReceiveHeader));
  Check(curl.easy_setopt(e, CURLOPT_HEADERDATA, &t.receiver));
  t.receiver.maxBody = maxBody;
  // A body announced beyond the limit is refused before it comes.
  Check(curl.easy_setopt(e, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(maxBody)));
  Check(curl.easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, long(connectTimeout.count())));
}

}  // namespace

void HttpClient::State::Run(Running& request, Receiver& receiver) {
  const CurlLibrary& curl = Curl();
  if (!multi) multi.reset(curl.multi_init());
  if (!multi) throw HttpError("Out of memory");
  if (curl.multi_add_handle(multi.get(), request.easy) != CURLM_OK) {
    throw HttpError("Cannot start the request");
  }

  const TransferOutcome outcome = DriveTransfer(
      multi.get(), request.easy,
      {&receiver.heard, idleTimeout, [&request] { return !request.aborted; }});
  if (request.aborted) throw HttpInterrupted("The request was aborted");
  curl.multi_remove_handle(multi.get(), request.easy);

  if (outcome.end == TransferOutcome::Quiet) {
    throw HttpError("No answer for " + std::to_string(idleTimeout.count()) + " ms");
  }
  if (outcome.end != TransferOutcome::Done) throw HttpError("The request failed");
  if (receiver.tooLarge || outcome.result == CURLE_FILESIZE_EXCEEDED) {
    throw HttpError("The answer is larger than " + std::to_string(receiver.maxBody) + " bytes");
  }
  if (receiver.refused) throw HttpError("The answer could not be stored");
  Check(outcome.result);
  long status = 0;
  curl.easy_getinfo(request.easy, CURLINFO_RESPONSE_CODE, &status);
  if (status < 200 || status > 299) throw HttpError("HTTP status " + std::to_string(status));
}

namespace {

// Holds the client for one request and gives it up at the end.
class RequestScope {
 public:
  RequestScope(Running*& running, Running& request) : running_(running), request_(request) {}
  ~RequestScope() {
    if (running_ == &request_) running_ = nullptr;
  }
  RequestScope(const RequestScope&) = delete;
  RequestScope& operator=(const RequestScope&) = delete;

 private:
  Running*& running_;
  Running& request_;
};

}  // namespace

std::string HttpClient::PostMultipart(const std::string& url,
                                      const std::vector<FormField>& fields, std::size_t maxBody,
                                      Priority priority) {
  State& state = Started();
  Running request{priority};
  state.Begin(request);
  const RequestScope scope(state.running, request);
  std::string body;
  const BodySink collect = [&body](std::string_view chunk) {
    body.append(chunk);
    return true;
  };
  Transfer t;
  t.receiver.sink = &collect;
  Prepare(t, state.share.get(), url, maxBody);
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

  request.easy = e;
  state.Run(request, t.receiver);
  return body;
}

void HttpClient::Get(const std::string& url, const BodySink& sink, std::size_t maxBody,
                     Priority priority) {
  State& state = Started();
  Running request{priority};
  state.Begin(request);
  const RequestScope scope(state.running, request);
  Transfer t;
  t.receiver.sink = &sink;
  Prepare(t, state.share.get(), url, maxBody);
  request.easy = t.easy.get();
  state.Run(request, t.receiver);
}

}  // namespace net
