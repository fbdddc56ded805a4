#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

#include "publish/Credentials.h"
#include "publish/Destination.h"
#include "publish/SavedDestination.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace publish {
struct Progress;
}  // namespace publish

namespace shell {

// The publish dialog: where the package goes and how to log in there, and while it goes, which
// file and how many bytes. The window does the publishing (FMainPublish.cpp) when "Publish" is
// clicked; the dialog stays open until it succeeds or the seller closes it.
class TfrmPublish : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmPublish(QWidget* parent = nullptr);

  // What "Publish" runs.
  std::function<void()> onPublish;

  // The fields from a destination used before, with the password the keyring kept.
  void Fill(const publish::SavedDestination& saved, const std::optional<std::string>& password);
  // Throws PublishError for a field that cannot make a destination.
  publish::Destination GatherDestination() const;
  publish::Credentials GatherCredentials() const;
  // The destination as the settings keep it.
  publish::SavedDestination GatherSaved() const;

  // While busy the fields are locked, "Cancel" asks the publication to stop, and closing the
  // dialog does the same.
  void SetBusy(bool busy);
  void ShowProgress(const publish::Progress& progress);
  bool CancelRequested() const { return cancelRequested_; }

 public slots:
  void reject() override;

 private:
  // Controls.
  QComboBox* cbxProtocol;
  QLineEdit* edtHost;
  QSpinBox* edtPort;
  QLineEdit* edtUser;
  QLineEdit* edtFolder;
  QRadioButton* rbtPassword;
  QRadioButton* rbtKeyFile;
  QLineEdit* edtPassword;
  QCheckBox* chkRemember;
  QLineEdit* edtKeyFile;
  QPushButton* btnKeyFile;
  QLineEdit* edtCaFile;
  QPushButton* btnCaFile;
  QLineEdit* edtSiteUrl;
  QLabel* lblSending;
  QProgressBar* prgSent;
  QPushButton* btnPublish;
  QPushButton* btnCancel;

  // Handlers.
  void cbxProtocolChange();
  void rbtPasswordClick();
  void btnKeyFileClick();
  void btnCaFileClick();
  void btnPublishClick();
  void btnCancelClick();

  void UpdateFields();

  bool busy_ = false;
  bool cancelRequested_ = false;
};

}  // namespace shell
