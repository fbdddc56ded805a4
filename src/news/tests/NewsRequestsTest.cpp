#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <filesystem>
#include <optional>
#include <sstream>

#include "net/HttpClient.h"
#include "news/NewsRequests.h"
#include "testsupport/Files.h"
#include "testsupport/HostileServer.h"
#include "testsupport/PhpServer.h"
#include "testsupport/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using UUtils::StringList;

constexpr char kAccessTrouble[] =
    "There is a trouble accessing the news site. Contact your provider.";
constexpr char kSettingsTrouble[] = "There is a trouble in the settings file on the news site.";
constexpr char kUserTrouble[] = "There is a trouble with the Publisher Id. Contact your provider.";
constexpr char kProductTrouble[] =
    "There is a trouble with the product validation. Contact your provider.";
constexpr char kNewsTrouble[] = "There is a trouble with this news. Contact your provider.";

// The service of every test: a Master reseller's, at `base`.
news::Service ServiceAt(const std::string& base) { return {base, "pub1", "HT200", "BM"}; }

news::Outcome List(const news::Service& service, StringList& entries) {
  return news::GetNewsList(service, news::kNewsTarget, entries);
}
news::Outcome Last(const news::Service& service, std::string& id, std::string& title) {
  return news::GetLastNews(service, news::kNewsTarget, id, title);
}
news::Outcome Details(const news::Service& service, const std::string& newsId,
                      std::string& details) {
  return news::GetNewsDetails(service, news::kNewsTarget, newsId, details);
}

// The test news service under /news/ of a loopback server, with its items
// in a folder of the test and every request recorded.
class NewsService : public ::testing::Test {
 protected:
  NewsService() {
    fs::create_directory_symlink(NEWS_SERVICE_DIR, folder_.Root() / "www" / "news");
    server_.emplace(
        (folder_.Root() / "www").string(),
        testsupport::PhpServer::Options{
            {{"NEWS_DATA", Items().string()}, {"NEWS_REQUEST_LOG", folder_.Path("log")}}, {}});
    service_ = ServiceAt(server_->Url("news/"));
  }

  fs::path Items() const { return folder_.Root() / "items"; }
  fs::path Product() const { return Items() / "pub1" / "HT200"; }
  void WriteItem(int id, const std::string& title, const std::string& published,
                 const std::string& html) {
    testsupport::WriteFile(Product() / (std::to_string(id) + ".news"),
                           "Title: " + title + "\nPublished: " + published + "\n\n" + html);
  }

  std::vector<QJsonObject> Recorded() const {
    std::vector<QJsonObject> requests;
    for (const auto& line : testsupport::FileLines(folder_.Path("log"))) {
      requests.push_back(QJsonDocument::fromJson(QByteArray::fromStdString(line)).object());
    }
    return requests;
  }

  testsupport::TempFolder folder_;
  bool made_ = fs::create_directories(folder_.Root() / "www");
  std::optional<testsupport::PhpServer> server_;
  news::Service service_;
};

TEST_F(NewsService, requestsCarryTheirFieldsInOrderAsHttp10) {
  WriteItem(3, "Three", "today", "<p>3</p>");
  StringList entries;
  std::string id, title, details;
  ASSERT_TRUE(List(service_, entries).ok);
  ASSERT_TRUE(Last(service_, id, title).ok);
  ASSERT_TRUE(Details(service_, "3", details).ok);

  const std::vector<QJsonObject> requests = Recorded();
  ASSERT_EQ(requests.size(), 3u);
  const char* scripts[] = {"getlastnews.php", "getlastnews.php", "getnewsdetails.php"};
  const char* fourth[][2] = {{"conttype", "all"}, {"conttype", "lastcode"}, {"newsid", "3"}};
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const QJsonObject& request = requests[i];
    EXPECT_EQ(request["script"].toString(), scripts[i]);
    EXPECT_EQ(request["method"].toString(), "POST");
    EXPECT_EQ(request["protocol"].toString(), "HTTP/1.0");
    const QJsonObject headers = request["headers"].toObject();
    EXPECT_EQ(headers["User-Agent"].toString(),
              "Mozilla/4.0 (compatible; MSIE 5.5; Windows NT 4.0)");
    EXPECT_EQ(headers["Accept"].toString(), "text/html, */*");
    EXPECT_TRUE(headers["Content-Type"].toString().startsWith("multipart/form-data; boundary="));
    EXPECT_EQ(request["files"].toInt(), 0);
    const QJsonArray expected{
        QJsonArray{"memusername", "pub1"}, QJsonArray{"prodcode", "HT200"},
        QJsonArray{"prodtype", "BM"},      QJsonArray{fourth[i][0], fourth[i][1]},
        QJsonArray{"newstarget", "UA"},    QJsonArray{"something", ""}};
    EXPECT_EQ(request["fields"].toArray(), expected);
  }
}

TEST_F(NewsService, itemsComeNewestFirstAndDetailsRoundTrip) {
  WriteItem(2, "Sale \xE9t\xE9", "12 May", "<p>two</p>");
  WriteItem(17, "Version 2.01", "", "<p>seventeen</p>");
  const std::string html = "<p>Price: $19 ^ \xAFOK \xE9\tend</p>\n<p>$24 kept</p>";
  WriteItem(5, "Five", "1 March", html);

  StringList entries{"kept"};
  ASSERT_TRUE(List(service_, entries).ok);
  EXPECT_EQ(entries,
            (StringList{"kept", "17^Version 2.01^", "5^Five^1 March", "2^Sale \xE9t\xE9^12 May"}));

  std::string id, title;
  ASSERT_TRUE(Last(service_, id, title).ok);
  EXPECT_EQ(id, "17");
  EXPECT_EQ(title, "Version 2.01");

  std::string details;
  const news::Outcome outcome = Details(service_, "5", details);
  EXPECT_TRUE(outcome.ok);
  EXPECT_EQ(outcome.warning, "");
  EXPECT_EQ(details, html);
}

TEST_F(NewsService, productWithoutItemsSucceedsEmpty) {
  fs::create_directories(Product());
  StringList entries;
  EXPECT_TRUE(List(service_, entries).ok);
  EXPECT_TRUE(entries.empty());
  std::string id = "stale", title;
  EXPECT_TRUE(Last(service_, id, title).ok);
  EXPECT_EQ(id, "");
  EXPECT_EQ(title, "");
}

TEST_F(NewsService, serviceRefusalsGiveTheirWarnings) {
  WriteItem(1, "One", "x", "<p>1</p>");
  StringList entries;
  news::Service other = service_;
  other.productCode = "OTHER";
  EXPECT_EQ(news::GetNewsList(other, "UA", entries).warning, kProductTrouble);
  EXPECT_TRUE(entries.empty());

  struct Case {
    const char* what;
    std::function<void()> arrange;
    std::string publisher;
    std::string newsId;
    std::string listWarning;
    std::string detailsWarning;
  };
  const Case cases[] = {
      {"unknown publisher", [] {}, "nobody", "1", kUserTrouble, kUserTrouble},
      {"unknown news", [] {}, "pub1", "99", "", kNewsTrouble},
      {"no data folder", [this] { fs::rename(Items(), folder_.Root() / "gone"); }, "pub1", "1",
       kSettingsTrouble, kSettingsTrouble},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.arrange();
    news::Service service = service_;
    service.publisherId = c.publisher;
    const news::Outcome list = news::GetNewsList(service, "UA", entries);
    EXPECT_EQ(list.ok, c.listWarning.empty());
    EXPECT_EQ(list.warning, c.listWarning);
    EXPECT_FALSE(list.interrupted);
    std::string details = "stale";
    const news::Outcome one =
        news::GetNewsDetails(service, "UA", c.newsId, details);
    EXPECT_FALSE(one.ok);
    EXPECT_EQ(one.warning, c.detailsWarning);
    EXPECT_EQ(details, "");
    std::string id = "stale", title = "kept";
    const news::Outcome last = news::GetLastNews(service, "UA", id, title);
    EXPECT_EQ(last.ok, c.listWarning.empty());
    EXPECT_EQ(last.warning, "") << "the newest item is asked for quietly";
    if (!last.ok) {
      EXPECT_EQ(id + title, "kept");
    }
  }
}

TEST_F(NewsService, baseUrlWithOrWithoutSlashReachesTheScripts) {
  WriteItem(1, "One", "x", "<p>1</p>");
  for (const std::string& base : {server_->Url("news/"), server_->Url("news")}) {
    SCOPED_TRACE(base);
    StringList entries;
    EXPECT_TRUE(List(ServiceAt(base), entries).ok);
    EXPECT_EQ(entries, StringList{"1^One^x"});
  }
  EXPECT_EQ(news::RequestUrl("", "getlastnews.php"), "/getlastnews.php");
  EXPECT_EQ(news::RequestUrl("http://h/news", "getnewsdetails.php"),
            "http://h/news/getnewsdetails.php");
  EXPECT_EQ(news::RequestUrl("http://h/news/", "getlastnews.php"), "http://h/news/getlastnews.php");
}

// A server that gives whatever answer a test writes, to both scripts.
class CannedAnswers : public ::testing::Test {
 protected:
  CannedAnswers() {
    for (const char* script : {"getlastnews.php", "getnewsdetails.php"}) {
      testsupport::WriteFile(folder_.Root() / script, "<?php readfile(__DIR__ . '/answer');");
    }
    server_.emplace(folder_.Root().string());
    service_ = ServiceAt(server_->Url());
  }
  void Answer(const std::string& bytes) {
    testsupport::WriteFile(folder_.Root() / "answer", bytes);
  }

  testsupport::TempFolder folder_;
  std::optional<testsupport::PhpServer> server_;
  news::Service service_;
};

TEST_F(CannedAnswers, listAnswers) {
  const struct {
    std::string answer;
    bool ok;
    StringList entries;
    std::string warning;
  } cases[] = {
      {"OK", true, {}, ""},
      {"\r\n 1^A^x\xAF\xAF"
       "2^B^y\xAFOK \n",
       true,
       {"1^A^x", "2^B^y"},
       ""},
      {"7^^\xAFOK", true, {"7^^"}, ""},
      {"<html>BOOKS</html>", true, {}, ""},
      // Entries whose id is no number are dropped, the rest is used.
      {"8\r\n<%%Welcome1%%>Hi<%%/Welcome1%%>^Tag^x\xAF"
       "9^Fine^y\xAF" +
           std::string("4\0^Nul^z", 8) + "\xAF+5^Plus^\xAF^No id^\xAF" +
           "2147483648^Big^\xAF-7^Negative^\xAFOK",
       true,
       {"9^Fine^y", "-7^Negative^"},
       ""},
      {"", false, {}, kAccessTrouble},
      {"  INVALIDUSER\r\n", false, {}, kUserTrouble},
      {"INVALIDPRODUCT", false, {}, kProductTrouble},
      {"CONNECTIONFAIL", false, {}, kSettingsTrouble},
      {"INVALIDNEWS", false, {}, ""},
      {"invaliduser", false, {}, ""},
      {"Not found", false, {}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer);
    Answer(c.answer);
    StringList entries;
    const news::Outcome outcome = List(service_, entries);
    EXPECT_EQ(outcome.ok, c.ok);
    EXPECT_EQ(outcome.warning, c.warning);
    EXPECT_EQ(entries, c.entries);
  }
}

TEST_F(CannedAnswers, newestAnswers) {
  const struct {
    std::string answer;
    bool ok;
    std::string id;
    std::string title;
  } cases[] = {
      {"17^Spring sale\xAFOK", true, "17", "Spring sale"},
      {"OK", true, "", ""},
      {"\xAFOK", true, "", ""},
      {"17\xAFOK", true, "17", ""},
      {"17^\xAFOK", true, "17", ""},
      {"17^Title^extra\xAFOK", true, "17", "Title"},
      // An id that is no number drops the entry, as if there were none.
      {"abc^Not a number\xAFOK", true, "", ""},
      {"8\r\n<%%Welcome1%%>x^Tag\xAFOK", true, "", ""},
      {std::string("8\0^Nul\xAFOK", 9), true, "", ""},
      {"INVALIDUSER", false, "", "unchanged"},
      {"", false, "", "unchanged"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer);
    Answer(c.answer);
    std::string id = "stale", title = "unchanged";
    const news::Outcome outcome = Last(service_, id, title);
    EXPECT_EQ(outcome.ok, c.ok);
    EXPECT_EQ(outcome.warning, "");
    EXPECT_EQ(id, c.id);
    EXPECT_EQ(title, c.title);
  }
}

TEST_F(CannedAnswers, detailsAnswers) {
  const struct {
    std::string answer;
    bool ok;
    std::string details;
    std::string warning;
  } cases[] = {
      {"$41$42c\xAFOK", true, "ABc", ""},
      {"<p>$24 lone $\xAFOK", true, "", ""},
      {"<p>$4G</p>\xAFOK", true, "", ""},
      {"<p>cut $4\xAFOK", true, "<p>cut \x04", ""},
      {"\xAFOK", true, "", ""},
      {"INVALIDNEWS", false, "", kNewsTrouble},
      {"INVALIDUSER\n", false, "", kUserTrouble},
      {"\t", false, "", kAccessTrouble},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer);
    Answer(c.answer);
    std::string details = "stale";
    const news::Outcome outcome = Details(service_, "4", details);
    EXPECT_EQ(outcome.ok, c.ok);
    EXPECT_EQ(outcome.warning, c.warning);
    EXPECT_EQ(details, c.details);
  }
}

TEST_F(CannedAnswers, failedExchangesReadAsAnEmptyAnswer) {
  Answer("OK");
  const std::string unreachable =
      "http://127.0.0.1:" + std::to_string(testsupport::FreePort()) + "/";
  for (const std::string& base : {unreachable, server_->Url("missing/"), std::string()}) {
    SCOPED_TRACE(base);
    const news::Service service = ServiceAt(base);
    StringList entries;
    const news::Outcome outcome = List(service, entries);
    EXPECT_FALSE(outcome.ok);
    EXPECT_FALSE(outcome.interrupted);
    EXPECT_EQ(outcome.warning, kAccessTrouble);
    std::string details = "stale";
    EXPECT_EQ(Details(service, "1", details).warning, kAccessTrouble);
    EXPECT_EQ(details, "");
  }
}

// The news service answering as an attacker on the way would.
class HostileService : public ::testing::Test {
 protected:
  HostileService() {
    net::HttpClient::SetTimeouts(std::chrono::milliseconds(2000), std::chrono::milliseconds(300));
  }
  ~HostileService() override {
    net::HttpClient::SetTimeouts(net::HttpClient::kConnectTimeout, net::HttpClient::kIdleTimeout);
  }
  testsupport::HostileServer server_;
  const news::Service service_ = ServiceAt(server_.Url("news/"));
};

TEST_F(HostileService, answersBeyondTheLimitOrWithoutEndTakeTheFailurePath) {
  constexpr std::size_t kLimit = news::kMaxAnswerBytes;
  const std::string mark = "\xAFOK";
  const struct {
    const char* what;
    testsupport::HostileServer::Reply reply;
    bool ok;
  } cases[] = {
      {"at the limit", testsupport::HostileServer::Ok(std::string(kLimit - 3, 'a') + mark), true},
      {"a byte more", testsupport::HostileServer::Ok(std::string(kLimit - 2, 'a') + mark), false},
      {"endless", testsupport::HostileServer::Endless(), false},
      {"stalled", testsupport::HostileServer::Stall(), false},
      {"cut short", {"HTTP/1.0 200 OK\r\nContent-Length: 90\r\n\r\n1^A^\xAFOK", 0, {}, false},
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    server_.On("/news/getnewsdetails.php", c.reply);
    server_.On("/news/getlastnews.php", c.reply);
    std::string details = "stale";
    const news::Outcome outcome = Details(service_, "1", details);
    EXPECT_EQ(outcome.ok, c.ok);
    EXPECT_EQ(outcome.warning, c.ok ? "" : kAccessTrouble);
    EXPECT_EQ(details.size(), c.ok ? kLimit - 3 : 0);
    StringList entries;
    EXPECT_EQ(List(service_, entries).warning, c.ok ? "" : kAccessTrouble);
    EXPECT_TRUE(entries.empty());
    std::string id = "stale", title;
    EXPECT_EQ(Last(service_, id, title).ok, c.ok);
  }
  // Nothing close to what an endless answer would have filled.
  EXPECT_LT(server_.BytesSent("/news/getlastnews.php"), std::int64_t(8 * kLimit));
}

}  // namespace
