#include <gtest/gtest.h>

#include <QTest>
#include <QToolButton>

#include <QApplication>
#include <QDialog>
#include <QTreeWidget>

#include "net/HttpClient.h"
#include "shell/tests/Controls.h"
#include "shell/tests/PublisherHost.h"
#include "testsupport/HostileServer.h"

namespace {

namespace fs = std::filesystem;
using shelltest::Control;
using shelltest::PublisherHost;
using testsupport::HostileServer;
using ui::BalloonHint;
using ui::MessageBox;

class StartupCheck : public ::testing::Test {
 protected:
  StartupCheck() {
    shelltest::ForgetEverythingShown();
    host_.Publish("2.01");
  }
  ~StartupCheck() override { shelltest::ForgetEverythingShown(); }

  // A Master reseller whose news base URL is `newsPath` on the host.
  void UseBrand(const std::string& newsPath = "news/", const std::string& type = "Master") {
    brand::BrandProfile = {};
    brand::BrandProfile.BranderType = type;
    brand::BrandProfile.BranderCode = "HT200";
    brand::BrandProfile.MasterPublID = "pub1";
    brand::BrandProfile.MasterNewsBaseURL = host_.Url(newsPath);
  }

  // Runs the sequence; checks that it ran to the quiet update check, showed
  // no message and left no plain brand file. The balloons shown.
  std::vector<QString> Balloons() {
    BalloonHint::ClearShown();
    const auto window = host_.Window();
    shelltest::RunStartUpCheck(*window);
    EXPECT_FALSE(Control<QTimer>(*window, "Timer1")->isActive());
    EXPECT_TRUE(fs::exists(host_.Descriptor())) << "the update check ran";
    fs::remove(host_.Descriptor());
    EXPECT_FALSE(fs::exists(host_.App() / "dbsettings.sim"));
    EXPECT_EQ(MessageBox::Shown().size(), 0u);
    std::vector<QString> texts;
    for (const ui::ShownBalloon& balloon : BalloonHint::Shown()) texts.push_back(balloon.text);
    return texts;
  }

  PublisherHost host_;
};

TEST_F(StartupCheck, announcesOnlyANewerItemThanTheOneOpenedLast) {
  UseBrand();
  const std::vector<QString> none;
  const struct {
    std::optional<std::string> stored;  // nothing: no entry
    std::vector<int> items;
    std::vector<QString> balloons;
  } cases[] = {
      {"17", {17}, none},
      {"17", {17, 18}, {"You've Got A Message!\r\nItem 18"}},
      {std::nullopt, {5}, {"You've Got A Message!\r\nItem 5"}},
      {std::nullopt, {0}, none},
      {std::nullopt, {-3}, none},
      {"abc", {2}, {"You've Got A Message!\r\nItem 2"}},
      {"99999999999", {2}, {"You've Got A Message!\r\nItem 2"}},
      {"-1", {}, {"You've Got A Message!\r\n"}},
      {"0", {}, none},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored.value_or("(none)") + " against " + std::to_string(c.items.size()));
    host_.WriteBrandFile(c.stored);
    for (int id : c.items) host_.WriteItem(id, "Item " + std::to_string(id));
    EXPECT_EQ(Balloons(), c.balloons);
    for (int id : c.items) host_.RemoveItem(id);
  }
  fs::remove(host_.App() / "dbsettings.dat");
  host_.WriteItem(5, "No brand file");
  EXPECT_EQ(Balloons(), std::vector<QString>{"You've Got A Message!\r\nNo brand file"});
}

TEST_F(StartupCheck, aNewestEntryWhoseIdIsNoNumberIsDropped) {
  host_.WriteScript("stub/getlastnews.php", "<?php echo \"abc^Not a number\\xAFOK\";");
  UseBrand("stub/");
  host_.WriteBrandFile(std::nullopt);
  EXPECT_EQ(Balloons(), std::vector<QString>{});
  // The entry is dropped: an empty id, as after an answer of just "OK".
  host_.WriteBrandFile("-1");
  EXPECT_EQ(Balloons(), std::vector<QString>{"You've Got A Message!\r\n"});
}

TEST_F(StartupCheck, tiersWithoutNewsAskNothingAndStillCheckForUpdates) {
  host_.WriteItem(5, "Five");
  for (const char* type : {"Free", "master", "Bronze", ""}) {
    SCOPED_TRACE(type);
    UseBrand("news/", type);
    EXPECT_EQ(Balloons(), std::vector<QString>{});
  }
  UseBrand();
  brand::BrandProfile.MasterPublID.clear();
  EXPECT_EQ(Balloons(), std::vector<QString>{});
  EXPECT_EQ(host_.NewsRequests(), 0);
}

TEST_F(StartupCheck, aFailingNewsServiceIsSilentAndTheUpdateCheckFollows) {
  host_.WriteItem(5, "Five");
  UseBrand();
  brand::BrandProfile.MasterNewsBaseURL =
      "http://127.0.0.1:" + std::to_string(testsupport::FreePort()) + "/news/";
  EXPECT_EQ(Balloons(), std::vector<QString>{});
  UseBrand();
  brand::BrandProfile.MasterPublID = "nobody";
  EXPECT_EQ(Balloons(), std::vector<QString>{});
  EXPECT_EQ(host_.NewsRequests(), 1) << "INVALIDUSER, and nothing shown";
}

TEST_F(StartupCheck, theBalloonPointsAtTheNewsButtonAndStaysWhileTheUpdateIsOffered) {
  UseBrand();
  host_.WriteItem(18, "Eighteen");
  host_.Publish("2.02");
  MessageBox::QueueAnswer(ui::MessageButton::Cancel);
  const auto window = host_.Window();
  shelltest::RunStartUpCheck(*window);

  ASSERT_EQ(BalloonHint::Shown().size(), 1u);
  const QToolButton* news = Control<QToolButton>(*window, "btnNews");
  const QPoint centre = news->mapToGlobal(QPoint(news->width() / 2, news->height() / 2));
  EXPECT_EQ(BalloonHint::Shown()[0].anchor, centre);
  ASSERT_NE(shelltest::ShownBalloon(), nullptr);
  EXPECT_TRUE(shelltest::ShownBalloon()->isVisible());
  EXPECT_EQ(shelltest::ShownBalloon()->geometry().top(), centre.y());
  ASSERT_EQ(MessageBox::Shown().size(), 1u);
  EXPECT_TRUE(MessageBox::Shown()[0].text.startsWith("There is a new update: (version 2.02)"));

  QTest::keyClick(window.get(), Qt::Key_Escape);
  QTest::qWait(20);
  EXPECT_EQ(shelltest::ShownBalloon(), nullptr);
}

// An error in the sequence is told in an error box; it ends the sequence
// before the update check, and the window goes on.
TEST_F(StartupCheck, aBrandFileThatCannotBeReadIsToldAndEndsTheSequenceBeforeTheUpdateCheck) {
  UseBrand();
  host_.WriteItem(5, "Five");
  fs::create_directory(host_.App() / "dbsettings.dat");
  const auto window = host_.Window();
  MessageBox::ClearShown();  // the window's own report of the brand
  shelltest::RunStartUpCheck(*window);
  ASSERT_EQ(MessageBox::Shown().size(), 1u);
  EXPECT_EQ(MessageBox::Shown()[0].kind, ui::MessageKind::Error);
  EXPECT_TRUE(MessageBox::Shown()[0].text.contains("dbsettings.dat"))
      << MessageBox::Shown()[0].text.toStdString();
  EXPECT_FALSE(fs::exists(host_.Descriptor()));
  EXPECT_FALSE(fs::exists(host_.App() / "dbsettings.sim"));

  EXPECT_TRUE(window->isVisible());
  Control<QToolButton>(*window, "bsSkinSpeedButton1")->click();
  ASSERT_EQ(MessageBox::Shown().size(), 2u);
  EXPECT_EQ(MessageBox::Shown()[1].text, "There's no new updates for this application!");
}

TEST_F(StartupCheck, newsWithoutEndOrWithoutAnswerIsSilentAndTheUpdateCheckFollows) {
  HostileServer hostile;
  UseBrand();
  brand::BrandProfile.MasterNewsBaseURL = hostile.Url("news/");
  host_.WriteBrandFile("3");
  const std::vector<std::string> files = host_.AppFiles();
  net::HttpClient::SetTimeouts(std::chrono::milliseconds(2000), std::chrono::milliseconds(300));
  for (const HostileServer::Reply& reply : {HostileServer::Endless(), HostileServer::Stall()}) {
    hostile.On("/news/getlastnews.php", reply);
    EXPECT_EQ(Balloons(), std::vector<QString>{});
    EXPECT_EQ(host_.AppFiles(), files);
  }
  net::HttpClient::SetTimeouts(net::HttpClient::kConnectTimeout, net::HttpClient::kIdleTimeout);
  EXPECT_EQ(hostile.Requests("/news/getlastnews.php"), 2);
  EXPECT_LT(hostile.BytesSent("/news/getlastnews.php"), std::int64_t(64) << 20);
}

TEST_F(StartupCheck, aStalledStartUpRequestGivesWayToTheUsersNewsClick) {
  HostileServer hostile;
  hostile.On("/news/getlastnews.php", HostileServer::Stall());
  UseBrand();
  brand::BrandProfile.MasterNewsBaseURL = hostile.Url("news/");
  host_.WriteBrandFile(std::nullopt);
  const auto window = host_.Window();

  int rows = -1;
  QTimer watch;  // until the news window is up, then closes it
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (auto* news = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      rows = news->findChild<QTreeWidget*>("lvwItems")->topLevelItemCount();
      news->reject();
    }
  });
  QTimer::singleShot(300, [&] {
    EXPECT_EQ(hostile.Requests("/news/getlastnews.php"), 1) << "the start-up request waits";
    hostile.On("/news/getlastnews.php", HostileServer::Ok("5^Five^today\xAFOK"));
    watch.start(20);
    QTest::mouseClick(Control<QToolButton>(*window, "btnNews"), Qt::LeftButton);
  });
  shelltest::RunStartUpCheck(*window);

  EXPECT_EQ(rows, 1) << "the user's list was served";
  EXPECT_EQ(hostile.Requests("/news/getlastnews.php"), 2);
  EXPECT_EQ(MessageBox::Shown().size(), 0u);
  EXPECT_EQ(BalloonHint::Shown().size(), 0u) << "the start-up request had no answer";
  EXPECT_TRUE(fs::exists(host_.Descriptor())) << "the quiet update check followed";
}

}  // namespace
