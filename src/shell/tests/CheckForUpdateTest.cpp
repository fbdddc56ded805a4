#include <gtest/gtest.h>

#include <QTest>
#include <QToolButton>

#include <sys/stat.h>

#include <tuple>

#include "net/HttpClient.h"
#include "shell/tests/Controls.h"
#include "shell/tests/PublisherHost.h"
#include "testsupport/HostileServer.h"
#include "util/Launch.h"

namespace {

namespace fs = std::filesystem;
using shelltest::Control;
using shelltest::PublisherHost;

// The names, sizes and modification times of the files in a folder.
std::vector<std::tuple<std::string, std::uintmax_t, fs::file_time_type>> Snapshot(
    const fs::path& folder) {
  std::vector<std::tuple<std::string, std::uintmax_t, fs::file_time_type>> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    files.emplace_back(entry.path().filename(), entry.file_size(), entry.last_write_time());
  }
  std::sort(files.begin(), files.end());
  return files;
}
using ui::MessageBox;
using ui::MessageButton;
using ui::MessageKind;

constexpr char kNoUpdates[] = "There's no new updates for this application!";
constexpr char kUnreachable[] = "The update server could not be reached. Please try again later.";
constexpr char kMissing[] =
    "The updater module is missing. Please reinstall again the current version!";
constexpr char kWillClose[] =
    "To update your software the application will close to\n\rreplace some files. Do you want "
    "to update now?";

QString Offer(const char* version) {
  return QStringLiteral("There is a new update: (version ") + version +
         ") available for your application!. Do you want download this update now?";
}

class CheckForUpdate : public ::testing::Test {
 protected:
  CheckForUpdate() {
    shelltest::ForgetEverythingShown();
    // The updater really starts here, as the program starts it.
    UUtils::Launcher::RecordOnly(false);
  }
  ~CheckForUpdate() override {
    // Every other widget test only records what it would start.
    UUtils::Launcher::RecordOnly(true);
    shelltest::ForgetEverythingShown();
  }

  // The texts of the messages shown, with their kinds and buttons checked.
  static std::vector<QString> Messages() {
    std::vector<QString> texts;
    for (const ui::ShownMessage& message : MessageBox::Shown()) {
      const bool question =
          message.text != kNoUpdates && message.text != kMissing && message.text != kUnreachable;
      EXPECT_EQ(message.kind, message.text == kMissing ? MessageKind::Warning
                                                       : MessageKind::Information);
      EXPECT_EQ(message.withCancel, question) << message.text.toStdString();
      texts.push_back(message.text);
    }
    return texts;
  }

  PublisherHost host_;
};

TEST_F(CheckForUpdate, withoutAHigherVersionOnlyTheButtonSaysSo) {
  for (const char* version : {"2.01", "1.9", "three"}) {
    SCOPED_TRACE(version);
    host_.Publish(version);
    MessageBox::ClearShown();
    const auto window = host_.Window();
    shelltest::RunStartUpCheck(*window);
    EXPECT_EQ(Messages(), std::vector<QString>{});
    QTest::mouseClick(Control<QToolButton>(*window, "bsSkinSpeedButton1"), Qt::LeftButton);
    EXPECT_EQ(Messages(), std::vector<QString>{kNoUpdates});
    EXPECT_TRUE(window->isVisible());
  }
}

TEST_F(CheckForUpdate, aDescriptorThatCannotBeHadIsToldOnlyByTheButtonAndLeavesNoCopy) {
  testsupport::HostileServer hostile;
  hostile.On("/stall/mainappupdate.inf", testsupport::HostileServer::Stall());
  hostile.On("/endless/mainappupdate.inf", testsupport::HostileServer::Endless());
  net::HttpClient::SetTimeouts(std::chrono::milliseconds(2000), std::chrono::milliseconds(300));
  const std::string unreachable =
      "http://127.0.0.1:" + std::to_string(testsupport::FreePort()) + "/liveupdate/";
  for (const std::string& base : {host_.UpdateUrl(), unreachable, hostile.Url("stall/"),
                                  hostile.Url("endless/")}) {
    SCOPED_TRACE(base);
    testsupport::WriteFile(host_.Descriptor(), "[APPLICATION]\nVersion=9\n");
    MessageBox::ClearShown();
    const auto window = host_.Window(base);
    shelltest::RunStartUpCheck(*window);
    EXPECT_EQ(Messages(), std::vector<QString>{});
    Control<QToolButton>(*window, "bsSkinSpeedButton1")->click();
    EXPECT_EQ(Messages(), std::vector<QString>{kUnreachable});
    EXPECT_FALSE(fs::exists(host_.Descriptor())) << "neither the stale copy nor a part is left";
    EXPECT_EQ(host_.AppFiles(), std::vector<std::string>{});
    EXPECT_NE(window->cursor().shape(), Qt::WaitCursor);
  }
  net::HttpClient::SetTimeouts(net::HttpClient::kConnectTimeout, net::HttpClient::kIdleTimeout);
  EXPECT_LT(hostile.BytesSent("/endless/mainappupdate.inf"), std::int64_t(64) << 20);
}

TEST_F(CheckForUpdate, anInstalledProgramFolderIsNeverWritten) {
  host_.Publish("2.02");
  host_.WriteUpdater();
  host_.WriteBrandFile("5");
  host_.WriteItem(7, "Seven");
  brand::BrandProfile.BranderType = "Master";
  brand::BrandProfile.BranderCode = "HT200";
  brand::BrandProfile.MasterPublID = "pub1";
  brand::BrandProfile.MasterNewsBaseURL = host_.Url("news/");
  UUtils::Launcher::RecordOnly(true);
  UUtils::Launcher::ClearRecorded();
  const auto before = Snapshot(host_.App());
  ASSERT_EQ(::chmod(host_.App().c_str(), 0555), 0);

  // The whole start-up check: the news, then the update accepted.
  const auto window = host_.Window();
  shelltest::RunStartUpCheck(*window);
  ::chmod(host_.App().c_str(), 0755);
  EXPECT_EQ(ui::BalloonHint::Shown().size(), 1u);
  EXPECT_EQ(Messages(), (std::vector<QString>{Offer("2.02"), kWillClose}));
  EXPECT_FALSE(window->isVisible());
  ASSERT_EQ(UUtils::Launcher::Recorded().size(), 1u);
  EXPECT_EQ(UUtils::Launcher::Recorded()[0].program, (host_.App() / "Updater").string());
  EXPECT_EQ(Snapshot(host_.App()), before);
  EXPECT_EQ(UUtils::ReadFileBytes(host_.Descriptor().string()),
            "[APPLICATION]\r\nName=Hurrex Tolvan\r\nVersion=2.02\r\n");
}

TEST_F(CheckForUpdate, cancelAtEitherQuestionLeavesTheProgramAsItWas) {
  host_.Publish("2.02");
  host_.WriteUpdater();
  const auto window = host_.Window();

  MessageBox::QueueAnswer(MessageButton::Ok);
  MessageBox::QueueAnswer(MessageButton::Cancel);
  shelltest::RunStartUpCheck(*window);
  EXPECT_EQ(Messages(), (std::vector<QString>{Offer("2.02"), kWillClose}));

  MessageBox::ClearShown();
  MessageBox::QueueAnswer(MessageButton::Cancel);
  Control<QToolButton>(*window, "bsSkinSpeedButton1")->click();
  EXPECT_EQ(Messages(), std::vector<QString>{Offer("2.02")});

  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(host_.UpdaterLog(300), std::nullopt);
}

TEST_F(CheckForUpdate, aMissingUpdaterIsToldAndTheProgramGoesOn) {
  host_.Publish("3");
  const auto window = host_.Window();
  shelltest::RunStartUpCheck(*window);
  EXPECT_EQ(Messages(), (std::vector<QString>{Offer("3"), kMissing}));
  EXPECT_TRUE(window->isVisible());
}

TEST_F(CheckForUpdate, anUpdaterThatCannotStartIsToldAndTheProgramGoesOn) {
  host_.Publish("3");
  host_.WriteUpdater(/*executable=*/false);
  const auto window = host_.Window();
  shelltest::RunStartUpCheck(*window);
  EXPECT_EQ(Messages(), (std::vector<QString>{Offer("3"), kWillClose, kMissing}));
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(host_.UpdaterLog(300), std::nullopt);
}

TEST_F(CheckForUpdate, agreeingTwiceStartsTheUpdaterAndClosesTheWindow) {
  host_.Publish("2.02");
  host_.WriteUpdater();
  const auto window = host_.Window();
  Control<QToolButton>(*window, "bsSkinSpeedButton1")->click();
  EXPECT_EQ(Messages(), (std::vector<QString>{Offer("2.02"), kWillClose}));
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(host_.UpdaterLog(5000), host_.UpdateUrl() + "\n2.01\nA\n");
}

}  // namespace
