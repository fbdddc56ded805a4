#include "news/NewsList.h"
#include "news/NewsRequests.h"
#include "news/Tiers.h"
#include "shell/FMain.h"
#include "shell/FNews.h"
#include "ui/WaitCursors.h"

namespace shell {

void TfrmMain::btnNewsClick() {
  if (TellToWait()) return;
  news::NewsList->clear();
  news::Outcome outcome;
  if (const auto publisher = news::BrandPublisher()) {
    const ui::WaitCursors busy{this};
    outcome = news::GetNewsList(publisher->publisherId, publisher->productCode, publisher->tierCode,
                                news::kNewsTarget, *news::NewsList);
  }
  // Closed meanwhile: nothing more to say.
  if (outcome.interrupted) return;
  if (!outcome.warning.empty()) {
    msgMain.Show(QString::fromLatin1(outcome.warning.c_str()), ui::MessageKind::Warning);
  }
  if (outcome.ok && !news::NewsList->empty()) {
    TfrmNews frmNews(this, msgMain, appFolder_);
    frmNews.exec();
    return;
  }
  msgMain.Show(QStringLiteral("There's no news for this application!"),
               ui::MessageKind::Information);
}

}  // namespace shell
