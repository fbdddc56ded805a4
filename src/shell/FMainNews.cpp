#include "brand/BrandProfile.h"
#include "news/NewsRequests.h"
#include "shell/FMain.h"
#include "shell/FNews.h"
#include "ui/WaitCursors.h"

namespace shell {

std::optional<news::Service> TfrmMain::NewsService() const {
  const auto account = brand::BrandNewsAccount(brand::BrandProfile);
  if (!account) return std::nullopt;
  return news::Service{account->baseUrl, account->publisherId, account->productCode,
                       account->tierCode};
}

void TfrmMain::btnNewsClick() {
  if (TellToWait()) return;
  UUtils::StringList items;
  news::Outcome outcome;
  const auto service = NewsService();
  if (service) {
    const ui::WaitCursors busy{this};
    outcome = news::GetNewsList(*service, news::kNewsTarget, items);
  }
  // Closed meanwhile: nothing more to say.
  if (outcome.interrupted) return;
  if (!outcome.warning.empty()) {
    msgMain.Show(QString::fromLatin1(outcome.warning.c_str()), ui::MessageKind::Warning);
  }
  if (outcome.ok && !items.empty()) {
    TfrmNews frmNews(this, msgMain, appFolder_, *service, std::move(items));
    frmNews.exec();
    return;
  }
  msgMain.Show(QStringLiteral("There's no news for this application!"),
               ui::MessageKind::Information);
}

}  // namespace shell
