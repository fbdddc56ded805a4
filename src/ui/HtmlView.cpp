#include "ui/HtmlView.h"

namespace ui {

HtmlView::HtmlView(QWidget* parent) : QTextBrowser(parent) {
  setReadOnly(true);
  setOpenLinks(false);
  setOpenExternalLinks(false);
}

QVariant HtmlView::loadResource(int type, const QUrl& name) {
  // Only data embedded in the document itself.
  if (name.scheme() == QLatin1String("data")) return QTextBrowser::loadResource(type, name);
  return {};
}

}  // namespace ui
