// The start-up check (news in a balloon, then a quiet update check) and the
// Check Updates button.
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <optional>

#include "brand/LastNewsId.h"
#include "news/Announcement.h"
#include "news/NewsRequests.h"
#include "shell/FMain.h"
#include "ui/Cp1252.h"
#include "ui/WaitCursors.h"
#include "update/UpdateCheck.h"
#include "util/Launch.h"

namespace shell {

void TfrmMain::Timer1Timer() {
  // Off first, so that every enabling of the timer gives exactly one tick.
  Timer1->stop();

  if (const auto service = NewsService()) {
    std::string lastId, title;
    const news::Outcome outcome = news::GetLastNews(*service, news::kNewsTarget, lastId, title);
    // Ended: the window has closed, and the sequence ends with it; or a
    // user's click has taken the request's place, and the sequence goes on
    // once the user's request is done.
    if (outcome.interrupted && !isVisible()) return;
    if (outcome.ok) {
      const auto announcement =
          news::Announcement(lastId, brand::LoadLastNewsId(appFolder_), title);
      if (announcement) ShowNewsHint(*announcement);
    }
  }
  // A check the user asked for meanwhile has said all there is to say.
  if (!updateChecked_) CheckForUpdate(true);
}

void TfrmMain::ShowNewsHint(const std::string& text) {
  const QPoint centre(btnNews->width() / 2, btnNews->height() / 2);
  LMDMessageHint1.Show(ui::FromCp1252(text), btnNews->mapToGlobal(centre));
}

void TfrmMain::btnUpdateClick() { CheckForUpdate(false); }

bool TfrmMain::TellToWait() {
  if (!update::Busy()) return false;
  msgMain.Show(QStringLiteral("Please wait: the request under way has not finished yet."),
               ui::MessageKind::Information);
  return true;
}

void TfrmMain::CheckForUpdate(bool Quiet) {
  if (!Quiet && TellToWait()) return;
  update::Lookup lookup;
  {
    // The quiet check runs behind the user's back: a user's request ends it.
    std::optional<ui::WaitCursors> busy;
    if (!Quiet) busy.emplace(std::initializer_list<QWidget*>{this});
    lookup = update::LookForUpdate(updateBaseUrl_, update::DescriptorFolder(),
                                   Quiet ? update::Asker::Program : update::Asker::User);
  }
  if (lookup.result == update::Lookup::Interrupted) return;
  updateChecked_ = true;
  if (lookup.result == update::Lookup::Unreachable) {
    if (!Quiet) {
      msgMain.Show(QStringLiteral("The update server could not be reached. Please try again later."),
                   ui::MessageKind::Information);
    }
    return;
  }
  if (lookup.result == update::Lookup::None) {
    if (!Quiet) {
      msgMain.Show(QStringLiteral("There's no new updates for this application!"),
                   ui::MessageKind::Information);
    }
    return;
  }

  const QString offer = QStringLiteral("There is a new update: (version ") +
                        ui::FromCp1252(lookup.version) +
                        QStringLiteral(
                            ") available for your application!. Do you want download this "
                            "update now?");
  if (msgMain.Show(offer, ui::MessageKind::Information, true) != ui::MessageButton::Ok) return;

  const UUtils::LaunchRequest updater = update::UpdaterLaunch(updateBaseUrl_, appFolder_);
  const QString missing =
      QStringLiteral("The updater module is missing. Please reinstall again the current version!");
  if (!std::filesystem::exists(updater.program)) {
    msgMain.Show(missing, ui::MessageKind::Warning);
    return;
  }
  if (msgMain.Show(QStringLiteral("To update your software the application will close to\n\r"
                                  "replace some files. Do you want to update now?"),
                   ui::MessageKind::Information, true) != ui::MessageButton::Ok) {
    return;
  }
  // An updater that cannot be started would leave the user with neither
  // program running: the window stays open instead.
  if (!UUtils::Launcher::Start(updater.program, updater.arguments)) {
    msgMain.Show(missing, ui::MessageKind::Warning);
    return;
  }
  close();
}

}  // namespace shell
