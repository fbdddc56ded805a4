#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>

#include "net/CurlLibrary.h"
#include "net/HttpClient.h"
#include "net/TransferLoop.h"
#include "testsupport/HostileServer.h"
#include "testsupport/PhpServer.h"
#include "testsupport/TempFolder.h"

namespace {

using net::FormField;
using net::HttpClient;
using net::HttpError;
using net::HttpInterrupted;
using net::Priority;
using testsupport::HostileServer;

constexpr size_t kLimit = 4 << 20;

// Scripts of the test server: each answers one way a web server may.
constexpr char kEcho[] = R"php(<?php
echo json_encode([
  'method' => $_SERVER['REQUEST_METHOD'],
  'protocol' => $_SERVER['SERVER_PROTOCOL'],
  'headers' => getallheaders(),
  'cookies' => $_COOKIE,
  'body' => base64_encode(file_get_contents('php://input')),
]);
)php";
constexpr char kSlow[] = R"php(<?php
usleep((int)$_GET['ms'] * 1000);
touch(__DIR__ . '/slow.done');
echo 'late';
)php";
constexpr char kRedirect[] = R"php(<?php
$n = (int)$_GET['n'];
if ($n > 0) { header('Location: redirect.php?n=' . ($n - 1), true, 302); exit; }
echo 'arrived with ' . $_SERVER['REQUEST_METHOD'];
)php";
constexpr char kCookie[] = R"php(<?php
setcookie('visitor', 'v42');
echo 'set';
)php";
constexpr char kBig[] = R"php(<?php
echo str_repeat('0123456789', (int)$_GET['tens']);
)php";
constexpr char kFail[] = R"php(<?php
http_response_code(500);
echo 'OK but broken';
)php";

class HttpClientTest : public ::testing::Test {
 protected:
  HttpClientTest() {
    Write("echo.php", kEcho);
    Write("slow.php", kSlow);
    Write("redirect.php", kRedirect);
    Write("cookie.php", kCookie);
    Write("big.php", kBig);
    Write("fail.php", kFail);
    // The raw body stays readable as php://input; a second worker answers
    // while the first sleeps in a slow answer.
    server_.emplace(folder_.Root().string(),
                    testsupport::PhpServer::Options{{{"PHP_CLI_SERVER_WORKERS", "2"}},
                                                    {"enable_post_data_reading=0"}});
  }

  void Write(const std::string& name, const std::string& text) {
    std::ofstream(folder_.Path(name), std::ios::binary) << text;
  }
  std::string Url(const std::string& path) const { return server_->Url(path); }
  static std::string Post(const std::string& url) {
    return HttpClient::Instance().PostMultipart(url, {{"a", "1"}}, kLimit);
  }
  static QJsonObject Json(const std::string& answer) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(answer)).object();
  }

  testsupport::TempFolder folder_;
  std::optional<testsupport::PhpServer> server_;
};

// The parts of a multipart body as (headers, value) pairs.
std::vector<std::pair<std::string, std::string>> Parts(const std::string& body,
                                                       const std::string& boundary) {
  std::vector<std::pair<std::string, std::string>> parts;
  const std::string delimiter = "--" + boundary;
  size_t at = body.find(delimiter);
  while (at != std::string::npos && body.compare(at + delimiter.size(), 2, "--") != 0) {
    const size_t headers = at + delimiter.size() + 2;
    const size_t value = body.find("\r\n\r\n", headers) + 4;
    const size_t next = body.find("\r\n" + delimiter, value);
    parts.emplace_back(body.substr(headers, value - 4 - headers), body.substr(value, next - value));
    at = next + 2;
  }
  return parts;
}

TEST_F(HttpClientTest, postSendsOrderedRawPartsAsHttp10WithOurHeaders) {
  const std::string odd("\xaf^OK\r\n\0$24", 10);
  const std::vector<FormField> fields{{"memusername", "pub"}, {"b", odd}, {"a", ""}, {"z", "2"}};
  const QJsonObject echo = Json(HttpClient::Instance().PostMultipart(Url("echo.php"), fields, kLimit));

  EXPECT_EQ(echo["method"].toString(), "POST");
  EXPECT_EQ(echo["protocol"].toString(), "HTTP/1.0");
  const QJsonObject headers = echo["headers"].toObject();
  EXPECT_EQ(headers["User-Agent"].toString(), "Mozilla/4.0 (compatible; MSIE 5.5; Windows NT 4.0)");
  EXPECT_EQ(headers["Accept"].toString(), "text/html, */*");
  const QString type = headers["Content-Type"].toString();
  ASSERT_TRUE(type.startsWith("multipart/form-data; boundary=")) << type.toStdString();

  const std::string body = QByteArray::fromBase64(echo["body"].toString().toLatin1()).toStdString();
  const auto parts = Parts(body, type.mid(30).toStdString());
  ASSERT_EQ(parts.size(), fields.size()) << body;
  for (size_t i = 0; i < fields.size(); ++i) {
    EXPECT_EQ(parts[i].first, "Content-Disposition: form-data; name=\"" + fields[i].name + "\"");
    EXPECT_EQ(parts[i].second, fields[i].value);
  }
}

TEST_F(HttpClientTest, getHandsTheWholeBodyToTheSink) {
  std::string received;
  int chunks = 0;
  HttpClient::Instance().Get(Url("big.php?tens=100000"), [&](std::string_view chunk) {
    received.append(chunk);
    ++chunks;
    return true;
  }, kLimit);
  EXPECT_EQ(received.size(), 1000000u);
  EXPECT_EQ(received.substr(999990), "0123456789");
  EXPECT_GT(chunks, 1) << "the body arrives as it comes, not held whole";

  const QJsonObject echo = [&] {
    std::string answer;
    HttpClient::Instance().Get(Url("echo.php"), [&](std::string_view chunk) {
      answer.append(chunk);
      return true;
    }, kLimit);
    return Json(answer);
  }();
  EXPECT_EQ(echo["method"].toString(), "GET");
  EXPECT_EQ(echo["headers"].toObject()["Accept"].toString(), "text/html, */*");
}

TEST_F(HttpClientTest, sinkThatCannotStoreFailsTheRequest) {
  EXPECT_THROW(HttpClient::Instance().Get(Url("big.php?tens=100000"),
                                          [](std::string_view) { return false; }, kLimit),
               HttpError);
  EXPECT_FALSE(HttpClient::Instance().Busy());
}

TEST_F(HttpClientTest, failedExchangesThrow) {
  const std::string unreachable =
      "http://127.0.0.1:" + std::to_string(testsupport::FreePort()) + "/";
  for (const std::string& url :
       {unreachable + "getlastnews.php", Url("missing.php"), Url("fail.php"),
        std::string("/getlastnews.php"), std::string("file:///etc/hostname"), std::string()}) {
    SCOPED_TRACE(url);
    try {
      Post(url);
      ADD_FAILURE() << "no error";
    } catch (const HttpInterrupted&) {
      ADD_FAILURE() << "a failure is not an interruption";
    } catch (const HttpError&) {
    }
  }
}

// The tests' guard, linked in beside their entry point, holds for every test executable that
// can make a request.
TEST_F(HttpClientTest, aRequestForAHostOffTheLoopbackFailsInTests) {
  try {
    Post("http://192.0.2.1/getlastnews.php");
    ADD_FAILURE() << "no error";
  } catch (const HttpError& error) {
    EXPECT_NE(std::string(error.what()).find("only loopback"), std::string::npos) << error.what();
  }
}

TEST_F(HttpClientTest, redirectChainIsFollowedToItsEnd) {
  EXPECT_EQ(Post(Url("redirect.php?n=4")), "arrived with GET");
  std::string answer;
  HttpClient::Instance().Get(Url("redirect.php?n=3"), [&](std::string_view chunk) {
    answer.append(chunk);
    return true;
  }, kLimit);
  EXPECT_EQ(answer, "arrived with GET");
}

TEST_F(HttpClientTest, cookieSetOnOneRequestIsSentOnTheNext) {
  EXPECT_EQ(Post(Url("cookie.php")), "set");
  EXPECT_EQ(Json(Post(Url("echo.php")))["cookies"].toObject()["visitor"].toString(), "v42");
}

TEST_F(HttpClientTest, eventsKeepFlowingDuringASlowAnswer) {
  QTimer timer;
  int ticks = 0;
  QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
  timer.start(20);
  EXPECT_EQ(Post(Url("slow.php?ms=600")), "late");
  EXPECT_GE(ticks, 10) << "a 20 ms timer during a 600 ms answer";
}

TEST_F(HttpClientTest, requestDuringARequestFailsAtOnce) {
  bool refused = false;
  QTimer::singleShot(50, [&] {
    try {
      Post(Url("echo.php"));
    } catch (const HttpInterrupted&) {
      refused = true;
    }
  });
  EXPECT_EQ(Post(Url("slow.php?ms=400")), "late");
  EXPECT_TRUE(refused);
}

TEST_F(HttpClientTest, abortEndsTheRunningRequestBeforeItsAnswer) {
  QTimer::singleShot(100, [] { HttpClient::Instance().Abort(); });
  EXPECT_THROW(Post(Url("slow.php?ms=3000")), HttpInterrupted);
  EXPECT_FALSE(std::filesystem::exists(folder_.Path("slow.done"))) << "the answer was awaited";

  // The client is ready again, on a fresh connection.
  EXPECT_EQ(Json(Post(Url("echo.php")))["method"].toString(), "POST");
}

// A server that misbehaves, with time-outs short enough for a test.
class HostileAnswers : public ::testing::Test {
 protected:
  HostileAnswers() { HttpClient::SetTimeouts(std::chrono::milliseconds(2000), kIdle); }
  ~HostileAnswers() override {
    HttpClient::SetTimeouts(HttpClient::kConnectTimeout, HttpClient::kIdleTimeout);
  }
  // The body of a GET of `path`, taking at most `limit` bytes; nothing when
  // the request failed.
  std::optional<std::string> Fetch(const std::string& path, size_t limit,
                                   Priority priority = Priority::User) {
    std::string body;
    try {
      HttpClient::Instance().Get(
          server_.Url(path),
          [&](std::string_view chunk) {
            body.append(chunk);
            return true;
          },
          limit, priority);
    } catch (const HttpInterrupted&) {
      ADD_FAILURE() << "a failure is not an interruption";
      return std::nullopt;
    } catch (const HttpError&) {
      return std::nullopt;
    }
    return body;
  }

  static constexpr std::chrono::milliseconds kIdle{400};
  HostileServer server_;
};

TEST_F(HostileAnswers, bodiesBeyondTheLimitFailAndAreNotReadToTheirEnd) {
  const std::string full(1000, 'a');
  server_.On("/exact", HostileServer::Ok(full));
  server_.On("/endless", HostileServer::Endless());
  // Announced as small, sent without end.
  HostileServer::Reply lying = HostileServer::Endless();
  lying.bytes = "HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n";
  server_.On("/lying", lying);

  EXPECT_EQ(Fetch("exact", 1000), full);
  EXPECT_EQ(Fetch("exact", 999), std::nullopt) << "announced beyond the limit";
  EXPECT_EQ(Fetch("lying", 1000), std::string(10, 'x')) << "the announced length ends it";
  EXPECT_EQ(Fetch("endless", kLimit), std::nullopt);
  // The client stopped reading at the limit: what the server got rid of
  // beyond it fits in the sockets' buffers.
  EXPECT_LT(server_.BytesSent("/endless"), std::int64_t(kLimit) + (32 << 20));
  EXPECT_FALSE(HttpClient::Instance().Busy());
}

TEST_F(HostileAnswers, brokenAndSilentAnswersFailWhileATrickleIsTakenWhole) {
  const std::string body = "slow but steady OK";
  HostileServer::Reply trickle = HostileServer::Ok(body);
  trickle.trickleMs = 10;  // about a second in all, far longer than the idle time-out
  server_.On("/trickle", trickle);
  server_.On("/stall", HostileServer::Stall());
  HostileServer::Reply headersThenSilence = HostileServer::Stall();
  headersThenSilence.bytes = "HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nOK";
  server_.On("/silence", headersThenSilence);
  server_.On("/cut", {"HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nOK", 0, {}, false});
  server_.On("/garbage", {std::string("\0\xff\r\n\r\nOK\xAF", 8), 0, {}, false});

  EXPECT_EQ(Fetch("trickle", 100), body);
  for (const char* path : {"stall", "silence", "cut", "garbage"}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(Fetch(path, 100), std::nullopt);
  }
  EXPECT_FALSE(HttpClient::Instance().Busy());
}

TEST_F(HostileAnswers, aUsersRequestEndsABackgroundOneAndNothingElse) {
  server_.On("/stall", HostileServer::Stall());
  server_.On("/answer", HostileServer::Ok("answer"));
  std::optional<std::string> user;
  bool backgroundRefused = false;
  QTimer::singleShot(100, [&] {
    EXPECT_TRUE(HttpClient::Instance().Refuses(Priority::Background));
    EXPECT_FALSE(HttpClient::Instance().Refuses(Priority::User));
    try {
      HttpClient::Instance().PostMultipart(server_.Url("answer"), {}, 100, Priority::Background);
    } catch (const HttpInterrupted&) {
      backgroundRefused = true;
    }
    user = Fetch("answer", 100);
  });
  EXPECT_THROW(HttpClient::Instance().Get(
                   server_.Url("stall"), [](std::string_view) { return true; }, 100,
                   Priority::Background),
               HttpInterrupted);
  EXPECT_TRUE(backgroundRefused);
  EXPECT_EQ(user, "answer");
  EXPECT_EQ(server_.Requests("/answer"), 1) << "the second background request was refused";
  EXPECT_FALSE(HttpClient::Instance().Busy());
}

// As when the seller answers a question about the host's key in the middle of a transfer: the
// time that takes is not time the host was quiet.
TEST_F(HttpClientTest, timeSpentInACallbackIsNoQuietTime) {
  const net::CurlLibrary& curl = net::Curl();
  std::unique_ptr<CURL, void (*)(CURL*)> easy(curl.easy_init(), curl.easy_cleanup);
  std::unique_ptr<CURLM, CURLMcode (*)(CURLM*)> multi(curl.multi_init(), curl.multi_cleanup);
  struct Watched {
    std::uint64_t heard = 0;
    bool asked = false;
  } watched;
  const curl_write_callback receive = [](char*, size_t size, size_t count, void* user) {
    ++static_cast<Watched*>(user)->heard;
    return size * count;
  };
  const curl_xferinfo_callback ask = [](void* user, curl_off_t, curl_off_t, curl_off_t,
                                        curl_off_t) {
    auto* w = static_cast<Watched*>(user);
    if (!w->asked) std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    w->asked = true;
    return 0;
  };
  const std::string url = Url("echo.php");
  curl.easy_setopt(easy.get(), CURLOPT_URL, url.c_str());
  curl.easy_setopt(easy.get(), CURLOPT_WRITEFUNCTION, receive);
  curl.easy_setopt(easy.get(), CURLOPT_WRITEDATA, &watched);
  curl.easy_setopt(easy.get(), CURLOPT_NOPROGRESS, 0L);
  curl.easy_setopt(easy.get(), CURLOPT_XFERINFOFUNCTION, ask);
  curl.easy_setopt(easy.get(), CURLOPT_XFERINFODATA, &watched);
  ASSERT_EQ(curl.multi_add_handle(multi.get(), easy.get()), CURLM_OK);

  const net::TransferOutcome outcome = net::DriveTransfer(
      multi.get(), easy.get(), {&watched.heard, std::chrono::milliseconds(500), {}});
  curl.multi_remove_handle(multi.get(), easy.get());
  EXPECT_TRUE(watched.asked);
  EXPECT_EQ(outcome.end, net::TransferOutcome::Done);
  EXPECT_EQ(outcome.result, CURLE_OK);
  EXPECT_GT(watched.heard, 0u);
}

TEST_F(HostileAnswers, aConnectionNotMadeInTimeFails) {
  // A listener that never accepts, its queue full: a further connection
  // stays unanswered.
  const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), length), 0);
  ASSERT_EQ(::listen(listener, 0), 0);
  ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
  std::vector<int> queued;
  for (int i = 0; i < 4; ++i) {
    queued.push_back(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0));
    ::connect(queued.back(), reinterpret_cast<sockaddr*>(&address), length);
  }

  HttpClient::SetTimeouts(std::chrono::milliseconds(300), std::chrono::milliseconds(20000));
  const std::string url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/";
  try {
    HttpClient::Instance().Get(url, [](std::string_view) { return true; }, 100);
    ADD_FAILURE() << "no error";
  } catch (const HttpInterrupted&) {
    ADD_FAILURE() << "a failure is not an interruption";
  } catch (const HttpError& error) {
    EXPECT_EQ(std::string(error.what()).find("No answer"), std::string::npos)
        << "the connect time-out, not the idle one: " << error.what();
  }
  for (const int socket : queued) ::close(socket);
  ::close(listener);
}

}  // namespace
