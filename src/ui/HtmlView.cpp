#include "ui/HtmlView.h"

#include "util/Launch.h"

namespace ui {

HtmlView::HtmlView(QWidget* parent) : QTextBrowser(parent) {
  setReadOnly(true);
  setOpenLinks(false);
  setOpenExternalLinks(false);
  connect(this, &QTextBrowser::anchorClicked, this, [](const QUrl& link) {
    if (LeavesTheView(link)) UUtils::OpenURL(link.toString(QUrl::FullyEncoded).toStdString());
  });
}

bool HtmlView::LeavesTheView(const QUrl& link) {
  // Web pages and mail only: a local file, a script or any scheme some
  // program has claimed is not started from a text that came from outside.
  const QString scheme = link.scheme().toLower();
  return scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
         scheme == QLatin1String("mailto");
}

QVariant HtmlView::loadResource(int type, const QUrl& name) {
  // Only data embedded in the document itself.
  if (name.scheme() == QLatin1String("data")) return QTextBrowser::loadResource(type, name);
  return {};
}

}  // namespace ui
