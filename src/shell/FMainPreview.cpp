// The offer's bar shown in the browser on a sample page, before anything is generated.
#include <QDateTime>

#include "preview/PreviewPage.h"
#include "shell/FMain.h"
#include "util/Launch.h"
#include "util/TextLines.h"

namespace shell {

void TfrmMain::ShowPreview() {
  const auto page = preview::PreviewPage(GatherOfferSettings(), QDateTime::currentSecsSinceEpoch());
  if (!previewFolder_) previewFolder_.emplace("hurrex-preview-", "for the preview");
  const std::string path = (previewFolder_->Path() / "preview.html").string();
  UUtils::WriteFileBytes(path, page);
  if (!UUtils::OpenURL(preview::FileUrl(path))) {
    msgMain.Show(QStringLiteral("No web browser could be started to show the preview. "
                                "Open this page in yours:\r\n%1")
                     .arg(QString::fromStdString(path)),
                 ui::MessageKind::Warning);
  }
}

void TfrmMain::btnPreviewClick() { ShowPreview(); }

}  // namespace shell
