// The window's "Publish": the dialog driven offscreen against the test's own SSH host, with a
// keyring that records what it is given.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <map>

#include "publish/Keyring.h"
#include "publish/SavedDestination.h"
#include "publish/tests/FileServers.h"
#include "shell/FMain.h"
#include "shell/FPublish.h"
#include "shell/tests/Controls.h"
#include "testsupport/Environment.h"
#include "testsupport/PhpServer.h"
#include "testsupport/TempFolder.h"
#include "testsupport/Tolvan.h"
#include "ui/MessageBox.h"

namespace {

namespace fs = std::filesystem;
using shell::TfrmPublish;
using shelltest::Control;
using testsupport::Environment;

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class RecordingKeyring : public publish::Keyring {
 public:
  std::optional<std::string> Read(const std::string& account) override {
    const auto kept = passwords.find(account);
    return kept == passwords.end() ? std::nullopt : std::optional(kept->second);
  }
  bool Write(const std::string& account, const std::string& password) override {
    passwords[account] = password;
    return true;
  }
  void Forget(const std::string& account) override { passwords.erase(account); }
  std::map<std::string, std::string> passwords;
};

// Runs `drive` on the publish dialog once the window has opened it.
void WhenTheDialogOpens(const std::function<void(TfrmPublish&)>& drive) {
  QTimer::singleShot(0, [drive] {
    auto* dialog = qobject_cast<TfrmPublish*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    drive(*dialog);
  });
}

class PublishDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    account_ = publishtest::PrepareAccount();
    if (account_.name.empty()) GTEST_SKIP() << "the servers' test account needs root";
    publish::UseKeyring(&keyring_);
    ui::MessageBox::ClearShown();
    const auto site = publishtest::MakeSellerSite(temp_, account_);
    page_ = site.page;
    remote_ = site.remote;
  }
  void TearDown() override { publish::UseKeyring(nullptr); }

  // Generates the package beside the page in the window; what that showed is forgotten.
  void Generate(shell::TfrmMain& w) const {
    Control<QLineEdit>(w, "edtPage")->setText(QString::fromStdString(page_));
    Control<QPushButton>(w, "btnGenerateScript")->click();
    ui::MessageBox::ClearShown();
  }

  // Fills the dialog with the test's SSH host on `port`, the account and its remote folder.
  void FillDestination(TfrmPublish& dialog, int port) const {
    Control<QLineEdit>(dialog, "edtHost")->setText("127.0.0.1");
    Control<QSpinBox>(dialog, "edtPort")->setValue(port);
    Control<QLineEdit>(dialog, "edtUser")->setText(QString::fromStdString(account_.name));
    Control<QLineEdit>(dialog, "edtFolder")->setText(QString::fromStdString(remote_ + "/www"));
  }

  testsupport::TempFolder temp_;
  Environment config_{"XDG_CONFIG_HOME", temp_.Path("config")};
  Environment home_{"HOME", temp_.Path("home")};
  publishtest::TestAccount account_;
  RecordingKeyring keyring_;
  std::string page_;
  std::string remote_;
};

TEST_F(PublishDialog, publishesChecksAndRemembersTheDestinationWithThePasswordInTheKeyringOnly) {
  publishtest::SshServer ssh(account_);
  testsupport::PhpServer web(remote_);
  shell::TfrmMain w(testsupport::BuiltAppFolder());
  w.show();
  EXPECT_EQ(Control<QPushButton>(w, "btnPublish")->text(), "Publish");
  Generate(w);

  WhenTheDialogOpens([&](TfrmPublish& dialog) {
    EXPECT_TRUE(Control<QLineEdit>(dialog, "edtHost")->text().isEmpty());
    FillDestination(dialog, ssh.Port());
    QTest::keyClicks(Control<QLineEdit>(dialog, "edtPassword"),
                     QString::fromStdString(account_.password));
    Control<QCheckBox>(dialog, "chkRemember")->setChecked(true);
    Control<QLineEdit>(dialog, "edtSiteUrl")
        ->setText(QString::fromStdString(web.Url("www/index.php")));
    QTest::mouseClick(Control<QPushButton>(dialog, "btnPublish"), Qt::LeftButton);
  });
  QTest::mouseClick(Control<QPushButton>(w, "btnPublish"), Qt::LeftButton);

  const auto& shown = ui::MessageBox::Shown();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_TRUE(shown[0].withCancel);
  EXPECT_TRUE(shown[0].text.contains(QString::fromStdString(ssh.Fingerprint())))
      << shown[0].text.toStdString();
  EXPECT_EQ(shown[1].kind, ui::MessageKind::Information) << shown[1].text.toStdString();
  EXPECT_TRUE(shown[1].text.contains("everything is in order")) << shown[1].text.toStdString();
  EXPECT_EQ(Read(remote_ + "/www/index.php"), Read(page_));
  EXPECT_EQ(Read(remote_ + "/www/stconfig1.php"), Read(temp_.Path("local/stconfig1.php")));

  const std::string address =
      "sftp://" + account_.name + "@127.0.0.1:" + std::to_string(ssh.Port()) + remote_ + "/www";
  EXPECT_EQ(keyring_.passwords[address], account_.password);
  const std::string settings = Read(publish::PublishSettingsFile());
  EXPECT_NE(settings.find(address), std::string::npos) << settings;
  EXPECT_EQ(settings.find(account_.password), std::string::npos);

  // Next time the dialog opens with the destination, the password from the keyring; Cancel
  // closes it with nothing sent.
  ui::MessageBox::ClearShown();
  WhenTheDialogOpens([&](TfrmPublish& dialog) {
    EXPECT_EQ(Control<QLineEdit>(dialog, "edtHost")->text(), "127.0.0.1");
    EXPECT_EQ(Control<QSpinBox>(dialog, "edtPort")->value(), ssh.Port());
    EXPECT_EQ(Control<QLineEdit>(dialog, "edtPassword")->text().toStdString(), account_.password);
    EXPECT_TRUE(Control<QCheckBox>(dialog, "chkRemember")->isChecked());
    QTest::mouseClick(Control<QPushButton>(dialog, "btnCancel"), Qt::LeftButton);
  });
  QTest::mouseClick(Control<QPushButton>(w, "btnPublish"), Qt::LeftButton);
  EXPECT_TRUE(ui::MessageBox::Shown().empty());
}

TEST_F(PublishDialog, aWrongPasswordIsToldAndTheDialogStaysForAnother) {
  publishtest::SshServer ssh(account_);
  shell::TfrmMain w(testsupport::BuiltAppFolder());
  Generate(w);
  WhenTheDialogOpens([&](TfrmPublish& dialog) {
    FillDestination(dialog, ssh.Port());
    Control<QLineEdit>(dialog, "edtPassword")->setText("not the password");
    Control<QCheckBox>(dialog, "chkRemember")->setChecked(true);
    QTest::mouseClick(Control<QPushButton>(dialog, "btnPublish"), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(Control<QPushButton>(dialog, "btnPublish")->isEnabled());
    dialog.reject();
  });
  QTest::mouseClick(Control<QPushButton>(w, "btnPublish"), Qt::LeftButton);
  const auto& shown = ui::MessageBox::Shown();
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.back().kind, ui::MessageKind::Error);
  EXPECT_TRUE(shown.back().text.contains("refused the login")) << shown.back().text.toStdString();
  EXPECT_TRUE(keyring_.passwords.empty());
  EXPECT_FALSE(fs::exists(publish::PublishSettingsFile()));
  EXPECT_FALSE(fs::exists(remote_ + "/www/index.php"));
}

TEST_F(PublishDialog, cancelWhileSendingLeavesTheHostAsItWas) {
  publishtest::SshServer ssh(account_);
  shell::TfrmMain w(testsupport::BuiltAppFolder());
  Generate(w);
  WhenTheDialogOpens([&](TfrmPublish& dialog) {
    FillDestination(dialog, ssh.Port());
    Control<QLineEdit>(dialog, "edtPassword")->setText(QString::fromStdString(account_.password));
    // Clicked while the publication runs: the dialog stays, the publication stops.
    QTimer::singleShot(0, &dialog, [&dialog] {
      EXPECT_FALSE(Control<QPushButton>(dialog, "btnPublish")->isEnabled());
      QTest::mouseClick(Control<QPushButton>(dialog, "btnCancel"), Qt::LeftButton);
      EXPECT_TRUE(dialog.isVisible());
    });
    QTest::mouseClick(Control<QPushButton>(dialog, "btnPublish"), Qt::LeftButton);
    EXPECT_TRUE(Control<QPushButton>(dialog, "btnPublish")->isEnabled());
    dialog.reject();
  });
  QTest::mouseClick(Control<QPushButton>(w, "btnPublish"), Qt::LeftButton);
  const auto& shown = ui::MessageBox::Shown();
  ASSERT_FALSE(shown.empty());
  EXPECT_TRUE(shown.back().text.contains("cancelled")) << shown.back().text.toStdString();
  EXPECT_FALSE(fs::exists(remote_ + "/www/index.php"));
  EXPECT_FALSE(fs::exists(publish::PublishSettingsFile()));
}

}  // namespace
