#include "shell/FPublish.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "publish/Publisher.h"
#include "ui/Application.h"
#include "ui/FileDialog.h"

namespace shell {

namespace {

template <typename Control>
Control* Named(Control* control, const char* name) {
  control->setObjectName(QLatin1String(name));
  return control;
}

// A field with a "Browse" button beside it.
QWidget* WithButton(QLineEdit* field, QPushButton* button) {
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(field);
  layout->addWidget(button);
  return row;
}

QString Text(const std::string& text) { return QString::fromStdString(text); }
std::string Text(const QLineEdit* field) { return field->text().trimmed().toStdString(); }

}  // namespace

TfrmPublish::TfrmPublish(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmPublish"));
  setWindowTitle(QStringLiteral("Publish"));
  cbxProtocol = Named(new QComboBox, "cbxProtocol");
  cbxProtocol->addItem(QStringLiteral("SFTP (SSH)"), int(publish::Protocol::Sftp));
  cbxProtocol->addItem(QStringLiteral("FTP over TLS"), int(publish::Protocol::Ftps));
  cbxProtocol->addItem(QStringLiteral("FTP (unencrypted)"), int(publish::Protocol::Ftp));
  edtHost = Named(new QLineEdit, "edtHost");
  edtPort = Named(new QSpinBox, "edtPort");
  edtPort->setRange(1, 65535);
  edtPort->setValue(22);
  edtUser = Named(new QLineEdit, "edtUser");
  edtFolder = Named(new QLineEdit, "edtFolder");
  edtFolder->setPlaceholderText(QStringLiteral("/var/www/offer"));
  rbtPassword = Named(new QRadioButton(QStringLiteral("Password")), "rbtPassword");
  rbtKeyFile = Named(new QRadioButton(QStringLiteral("Key file")), "rbtKeyFile");
  rbtPassword->setChecked(true);
  edtPassword = Named(new QLineEdit, "edtPassword");
  edtPassword->setEchoMode(QLineEdit::Password);
  chkRemember = Named(new QCheckBox(QStringLiteral("Remember in the keyring")), "chkRemember");
  edtKeyFile = Named(new QLineEdit, "edtKeyFile");
  btnKeyFile = Named(new QPushButton(QStringLiteral("Browse")), "btnKeyFile");
  edtCaFile = Named(new QLineEdit, "edtCaFile");
  edtCaFile->setPlaceholderText(QStringLiteral("only for a host with a certificate of its own"));
  btnCaFile = Named(new QPushButton(QStringLiteral("Browse")), "btnCaFile");
  edtSiteUrl = Named(new QLineEdit, "edtSiteUrl");
  edtSiteUrl->setPlaceholderText(QStringLiteral("https://www.example.com/offer/index.php"));
  lblSending = Named(new QLabel, "lblSending");
  prgSent = Named(new QProgressBar, "prgSent");
  prgSent->setRange(0, 1000);
  prgSent->setValue(0);
  btnPublish = Named(new QPushButton(QStringLiteral("Publish")), "btnPublish");
  btnCancel = Named(new QPushButton(QStringLiteral("Cancel")), "btnCancel");
  btnPublish->setDefault(true);

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Protocol:"), cbxProtocol);
  form->addRow(QStringLiteral("Host:"), edtHost);
  form->addRow(QStringLiteral("Port:"), edtPort);
  form->addRow(QStringLiteral("User:"), edtUser);
  form->addRow(QStringLiteral("Remote folder:"), edtFolder);
  auto* login = new QWidget;
  auto* loginLayout = new QHBoxLayout(login);
  loginLayout->setContentsMargins(0, 0, 0, 0);
  loginLayout->addWidget(rbtPassword);
  loginLayout->addWidget(rbtKeyFile);
  loginLayout->addStretch();
  form->addRow(QStringLiteral("Log in with:"), login);
  form->addRow(QStringLiteral("Password:"), edtPassword);
  form->addRow(QString(), chkRemember);
  form->addRow(QStringLiteral("Key file:"), WithButton(edtKeyFile, btnKeyFile));
  form->addRow(QStringLiteral("CA file:"), WithButton(edtCaFile, btnCaFile));
  form->addRow(QStringLiteral("Site address of the page:"), edtSiteUrl);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnPublish);
  buttons->addWidget(btnCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(lblSending);
  layout->addWidget(prgSent);
  layout->addLayout(buttons);

  ui::ConnectHandler(cbxProtocol, &QComboBox::currentIndexChanged, this,
                     &TfrmPublish::cbxProtocolChange);
  ui::ConnectHandler(rbtPassword, &QRadioButton::toggled, this, &TfrmPublish::rbtPasswordClick);
  ui::ConnectHandler(btnKeyFile, &QPushButton::clicked, this, &TfrmPublish::btnKeyFileClick);
  ui::ConnectHandler(btnCaFile, &QPushButton::clicked, this, &TfrmPublish::btnCaFileClick);
  ui::ConnectHandler(btnPublish, &QPushButton::clicked, this, &TfrmPublish::btnPublishClick);
  ui::ConnectHandler(btnCancel, &QPushButton::clicked, this, &TfrmPublish::btnCancelClick);
  UpdateFields();
}

void TfrmPublish::UpdateFields() {
  const auto protocol = publish::Protocol(cbxProtocol->currentData().toInt());
  const bool ssh = protocol == publish::Protocol::Sftp;
  // Only SSH logs in with a key; FTP always with a password.
  rbtKeyFile->setEnabled(!busy_ && ssh);
  if (!ssh) rbtPassword->setChecked(true);
  const bool key = rbtKeyFile->isChecked();
  for (QWidget* field : {static_cast<QWidget*>(cbxProtocol), static_cast<QWidget*>(edtHost),
                         static_cast<QWidget*>(edtPort), static_cast<QWidget*>(edtUser),
                         static_cast<QWidget*>(edtFolder), static_cast<QWidget*>(rbtPassword),
                         static_cast<QWidget*>(edtSiteUrl), static_cast<QWidget*>(btnPublish)}) {
    field->setEnabled(!busy_);
  }
  edtPassword->setEnabled(!busy_);
  edtPassword->setPlaceholderText(key ? QStringLiteral("the key's passphrase, if it has one")
                                      : QString());
  chkRemember->setEnabled(!busy_);
  edtKeyFile->setEnabled(!busy_ && key);
  btnKeyFile->setEnabled(!busy_ && key);
  edtCaFile->setEnabled(!busy_ && protocol == publish::Protocol::Ftps);
  btnCaFile->setEnabled(!busy_ && protocol == publish::Protocol::Ftps);
}

void TfrmPublish::cbxProtocolChange() {
  const auto protocol = publish::Protocol(cbxProtocol->currentData().toInt());
  // The port follows the protocol while it is a protocol's own.
  if (edtPort->value() == 21 || edtPort->value() == 22) {
    edtPort->setValue(protocol == publish::Protocol::Sftp ? 22 : 21);
  }
  UpdateFields();
}

void TfrmPublish::rbtPasswordClick() { UpdateFields(); }

void TfrmPublish::btnKeyFileClick() {
  const auto chosen = ui::FileDialog::OpenExistingFile(
      this, QStringLiteral("Private key file"), QStringLiteral("All files"), QStringLiteral("*"));
  if (chosen) edtKeyFile->setText(*chosen);
}

void TfrmPublish::btnCaFileClick() {
  const auto chosen = ui::FileDialog::OpenExistingFile(this, QStringLiteral("Host's certificate"),
                                                       QStringLiteral("Certificates"),
                                                       QStringLiteral("*.pem *.crt *.cer"));
  if (chosen) edtCaFile->setText(*chosen);
}

void TfrmPublish::btnPublishClick() {
  if (busy_ || !onPublish) return;
  onPublish();
}

void TfrmPublish::btnCancelClick() { reject(); }

void TfrmPublish::reject() {
  if (busy_) {
    cancelRequested_ = true;
    lblSending->setText(QStringLiteral("Cancelling..."));
    return;
  }
  QDialog::reject();
}

void TfrmPublish::Fill(const publish::SavedDestination& saved,
                       const std::optional<std::string>& password) {
  try {
    const publish::Destination d = publish::ParseDestination(saved.address);
    cbxProtocol->setCurrentIndex(cbxProtocol->findData(int(d.protocol)));
    edtHost->setText(Text(d.host));
    edtPort->setValue(publish::PortOf(d));
    edtUser->setText(Text(d.user));
    edtFolder->setText(Text(d.folder));
  } catch (const publish::PublishError&) {
    // A settings file edited by hand: the fields stay empty.
  }
  rbtKeyFile->setChecked(!saved.identityFile.empty());
  rbtPassword->setChecked(saved.identityFile.empty());
  edtKeyFile->setText(Text(saved.identityFile));
  edtCaFile->setText(Text(saved.caFile));
  edtSiteUrl->setText(Text(saved.siteUrl));
  chkRemember->setChecked(saved.passwordInKeyring);
  if (password) edtPassword->setText(QString::fromStdString(*password));
  UpdateFields();
}

publish::Destination TfrmPublish::GatherDestination() const {
  publish::Destination d;
  d.protocol = publish::Protocol(cbxProtocol->currentData().toInt());
  d.host = Text(edtHost);
  d.user = Text(edtUser);
  std::string folder = Text(edtFolder);
  if (!folder.empty() && folder[0] != '/') folder = "/" + folder;
  if (d.host.empty()) throw publish::PublishError("Please enter the host.");
  if (d.user.empty()) throw publish::PublishError("Please enter the user name.");
  if (folder.empty() || folder == "/") {
    throw publish::PublishError("Please enter the remote folder the sales page goes to.");
  }
  d.folder = folder;
  d.port = edtPort->value();
  // The address is read back, so that the fields pass the same checks as tolvan's --to.
  publish::Destination checked = publish::ParseDestination(publish::AddressOf(d));
  checked.port = d.port;
  return checked;
}

publish::Credentials TfrmPublish::GatherCredentials() const {
  publish::Credentials credentials;
  credentials.password = edtPassword->text().toStdString();
  if (rbtKeyFile->isChecked() && rbtKeyFile->isEnabled()) {
    credentials.identityFile = Text(edtKeyFile);
  }
  return credentials;
}

publish::SavedDestination TfrmPublish::GatherSaved() const {
  publish::SavedDestination saved;
  saved.address = publish::AddressOf(GatherDestination());
  saved.identityFile = GatherCredentials().identityFile;
  if (edtCaFile->isEnabled()) saved.caFile = Text(edtCaFile);
  saved.siteUrl = Text(edtSiteUrl);
  saved.passwordInKeyring = chkRemember->isChecked() && !edtPassword->text().isEmpty();
  return saved;
}

void TfrmPublish::SetBusy(bool busy) {
  busy_ = busy;
  cancelRequested_ = false;
  if (!busy) lblSending->clear();
  UpdateFields();
}

void TfrmPublish::ShowProgress(const publish::Progress& progress) {
  lblSending->setText(QStringLiteral("Sending %1 (%2 of %3): %4 of %5 bytes")
                          .arg(Text(progress.file))
                          .arg(progress.index)
                          .arg(progress.files)
                          .arg(progress.bytesSent)
                          .arg(progress.bytesTotal));
  prgSent->setValue(progress.bytesTotal ? int(progress.bytesSent * 1000 / progress.bytesTotal) : 0);
}

}  // namespace shell
