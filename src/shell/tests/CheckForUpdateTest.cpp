#include <gtest/gtest.h>

#include <QTest>
#include <QToolButton>

#include "shell/tests/PublisherHost.h"
#include "util/Launch.h"

namespace {

using shelltest::PublisherHost;
using ui::MessageBox;
using ui::MessageButton;
using ui::MessageKind;

constexpr char kNoUpdates[] = "There's no new updates for this application!";
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
      const bool question = message.text != kNoUpdates && message.text != kMissing;
      EXPECT_EQ(message.kind, question || message.text == kNoUpdates ? MessageKind::Information
                                                                     : MessageKind::Warning);
      EXPECT_EQ(message.withCancel, question) << message.text.toStdString();
      texts.push_back(message.text);
    }
    return texts;
  }

  PublisherHost host_;
};

TEST_F(CheckForUpdate, withoutAHigherVersionOnlyTheButtonSaysSo) {
  const auto window = host_.Window();
  for (const char* version : {"2.01", "1.9", "three"}) {
    SCOPED_TRACE(version);
    host_.Publish(version);
    MessageBox::ClearShown();
    window->CheckForUpdate(true);
    EXPECT_EQ(Messages(), std::vector<QString>{});
    QTest::mouseClick(window->bsSkinSpeedButton1, Qt::LeftButton);
    EXPECT_EQ(Messages(), std::vector<QString>{kNoUpdates});
  }
  EXPECT_TRUE(window->isVisible());
}

TEST_F(CheckForUpdate, withoutADescriptorOnlyTheButtonSaysSoAndNoCopyIsLeft) {
  const auto window = host_.Window();
  window->CheckForUpdate(true);
  window->btnUpdateClick();
  EXPECT_EQ(Messages(), std::vector<QString>{kNoUpdates});
  EXPECT_EQ(host_.AppFiles(), std::vector<std::string>{});
}

TEST_F(CheckForUpdate, cancelAtEitherQuestionLeavesTheProgramAsItWas) {
  host_.Publish("2.02");
  host_.WriteUpdater();
  const auto window = host_.Window();

  MessageBox::QueueAnswer(MessageButton::Cancel);
  window->btnUpdateClick();
  EXPECT_EQ(Messages(), std::vector<QString>{Offer("2.02")});

  MessageBox::ClearShown();
  MessageBox::QueueAnswer(MessageButton::Ok);
  MessageBox::QueueAnswer(MessageButton::Cancel);
  window->CheckForUpdate(true);
  EXPECT_EQ(Messages(), (std::vector<QString>{Offer("2.02"), kWillClose}));

  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(host_.UpdaterLog(300), std::nullopt);
}

TEST_F(CheckForUpdate, aMissingUpdaterIsToldAndTheProgramGoesOn) {
  host_.Publish("3");
  const auto window = host_.Window();
  window->CheckForUpdate(true);
  EXPECT_EQ(Messages(), (std::vector<QString>{Offer("3"), kMissing}));
  EXPECT_TRUE(window->isVisible());
}

TEST_F(CheckForUpdate, anUpdaterThatCannotStartIsToldAndTheProgramGoesOn) {
  host_.Publish("3");
  host_.WriteUpdater(/*executable=*/false);
  const auto window = host_.Window();
  window->CheckForUpdate(true);
  EXPECT_EQ(Messages(), (std::vector<QString>{Offer("3"), kWillClose, kMissing}));
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(host_.UpdaterLog(300), std::nullopt);
}

TEST_F(CheckForUpdate, agreeingTwiceStartsTheUpdaterAndClosesTheWindow) {
  host_.Publish("2.02");
  host_.WriteUpdater();
  const auto window = host_.Window();
  window->btnUpdateClick();
  EXPECT_EQ(Messages(), (std::vector<QString>{Offer("2.02"), kWillClose}));
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(host_.UpdaterLog(5000), host_.UpdateUrl() + "\n2.01\nA\n");
}

}  // namespace
