// Trying the offer on this computer before it is uploaded.
#include <QPushButton>

#include "shell/FMain.h"
#include "trial/Trial.h"
#include "ui/Application.h"
#include "util/Launch.h"

namespace shell {

void TfrmMain::TryHere() {
  const std::string php = trial::FindPhp();
  if (php.empty()) {
    msgMain.Show(QString::fromUtf8(trial::kPhpMissingMessage), ui::MessageKind::Information);
    return;
  }
  // One try at a time: the last one's server stops and its copy goes first. The window goes on
  // while the server starts, but takes no second try meanwhile.
  trial_.reset();
  btnTryHere->setEnabled(false);
  struct Enable {
    QPushButton* button;
    ~Enable() { button->setEnabled(true); }
  } enable{btnTryHere};
  trial_ = std::make_unique<trial::Trial>(GatherOfferSettings(), appFolder_, php,
                                          std::filesystem::path(), ui::HandleEventsFor);
  if (!UUtils::OpenURL(trial_->Address())) {
    msgMain.Show(QStringLiteral("No web browser could be opened. To try the offer, open\n%1\n"
                                "in yours; it is served until this window closes or the next try.")
                     .arg(QString::fromStdString(trial_->Address())),
                 ui::MessageKind::Information);
  }
}

void TfrmMain::btnTryHereClick() { TryHere(); }

}  // namespace shell
