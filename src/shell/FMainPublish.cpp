// Publishing the generated package to the seller's host.
#include <QLineEdit>

#include "publish/Keyring.h"
#include "publish/Publisher.h"
#include "publish/SetupCheck.h"
#include "shell/FMain.h"
#include "shell/FPublish.h"

namespace shell {

namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

void TfrmMain::PublishPackage() {
  const std::string page = edtPage->text().toStdString();
  try {
    (void)publish::PackageFiles(page);
  } catch (const publish::PublishError& e) {
    msgMain.Show(Text(e.what()), ui::MessageKind::Error);
    return;
  }
  TfrmPublish dialog(this);
  if (const auto saved = publish::LoadDestination(page)) {
    std::optional<std::string> password;
    if (saved->passwordInKeyring) {
      password = publish::TheKeyring().Read(publish::KeyringAccount(saved->address));
    }
    dialog.Fill(*saved, password);
  }
  dialog.onPublish = [this, &dialog, page] { PublishTo(dialog, page); };
  dialog.exec();
}

void TfrmMain::PublishTo(TfrmPublish& dialog, const std::string& page) {
  publish::Destination destination;
  publish::SavedDestination saved;
  try {
    destination = dialog.GatherDestination();
    saved = dialog.GatherSaved();
  } catch (const publish::PublishError& e) {
    msgMain.Show(Text(e.what()), ui::MessageKind::Warning);
    return;
  }
  if (destination.protocol == publish::Protocol::Ftp &&
      msgMain.Show(QStringLiteral("Plain FTP sends your password and the files unencrypted: "
                                  "anyone on the way can read them. Use SFTP or FTP over TLS "
                                  "where your host offers them.\n\nPublish over plain FTP?"),
                   ui::MessageKind::Warning, true) != ui::MessageButton::Ok) {
    return;
  }
  const publish::Credentials credentials = dialog.GatherCredentials();
  publish::Trust trust;
  trust.caFile = saved.caFile;
  trust.acceptNewHostKey = [this](const publish::HostKey& key) {
    return msgMain.Show(
               QStringLiteral("The host %1 is not known yet. Its key's fingerprint is\n\n%2\n\n"
                              "Compare it with the one your host gives you. Is it your host's "
                              "key?")
                   .arg(Text(key.host + ":" + std::to_string(key.port)),
                        Text(publish::Fingerprint(key.blob))),
               ui::MessageKind::Warning, true) == ui::MessageButton::Ok;
  };

  publish::PublishOutcome outcome;
  dialog.SetBusy(true);
  try {
    outcome = publish::Publish(page, destination, credentials, trust,
                               [&dialog](const publish::Progress& progress) {
                                 dialog.ShowProgress(progress);
                                 return !dialog.CancelRequested();
                               });
  } catch (const publish::PublishCancelled&) {
    dialog.SetBusy(false);
    msgMain.Show(QStringLiteral("Publishing was cancelled. The host keeps its previous files."),
                 ui::MessageKind::Information);
    return;
  } catch (const publish::PublishError& e) {
    dialog.SetBusy(false);
    msgMain.Show(Text(e.what()) + QStringLiteral("\nThe host keeps its previous files."),
                 ui::MessageKind::Error);
    return;
  }
  dialog.SetBusy(false);

  // Remembered once it has worked; the password only in the keyring, and only when asked.
  publish::SaveDestination(page, saved);
  const std::string account = publish::KeyringAccount(saved.address);
  if (saved.passwordInKeyring) {
    if (!publish::TheKeyring().Write(account, credentials.password)) {
      msgMain.Show(QStringLiteral("The password could not be kept in the keyring; you will be "
                                  "asked for it next time."),
                   ui::MessageKind::Warning);
    }
  } else {
    publish::TheKeyring().Forget(account);
  }

  QString message = QStringLiteral("Published %1 files to %2, the page last.")
                        .arg(outcome.sent.size())
                        .arg(Text(saved.address));
  bool fine = true;
  if (!saved.siteUrl.empty()) {
    // The key of this session's generation, if it was this page's.
    const std::string key = setupKeyPage_ == page ? setupKey_ : std::string();
    try {
      const publish::SetupVerdict verdict = publish::CheckSetup(saved.siteUrl, key);
      fine = verdict.kind == publish::SetupVerdict::Kind::Ready ||
             (key.empty() && verdict.kind == publish::SetupVerdict::Kind::KeyRefused);
      message += QStringLiteral("\n\n") + Text(verdict.summary);
    } catch (const publish::PublishError& e) {
      fine = false;
      message += QStringLiteral("\n\n") + Text(e.what());
    }
  }
  msgMain.Show(message, fine ? ui::MessageKind::Information : ui::MessageKind::Warning);
  dialog.accept();
}

void TfrmMain::btnPublishClick() { PublishPackage(); }

}  // namespace shell
