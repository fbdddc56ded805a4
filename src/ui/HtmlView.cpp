#include "ui/HtmlView.h"

#include "util/Launch.h"

namespace ui {

HtmlView::HtmlView(QWidget* parent) : QTextBrowser(parent) {
  setReadOnly(true);
  setOpenLinks(false);
  setOpenExternalLinks(false);
  connect(this, &QTextBrowser::anchorClicked, this, [](const QUrl& link) {
    if (!link.isRelative()) UUtils::OpenURL(link.toString(QUrl::FullyEncoded).toStdString());
  });
}

QVariant HtmlView::loadResource(int type, const QUrl& name) {
  // Only data embedded in the document itself.
  if (name.scheme() == QLatin1String("data")) return QTextBrowser::loadResource(type, name);
  return {};
}

}  // namespace ui
