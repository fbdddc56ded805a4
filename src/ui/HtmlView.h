#pragma once

#include <QTextBrowser>

namespace ui {

// A read-only view of an HTML source text. It never loads anything from the
// network and runs no scripts; a clicked link to a web page (http, https) or
// a mail address (mailto) opens in the browser, any other link is ignored, and
// the view itself never follows one.
class HtmlView : public QTextBrowser {
  Q_OBJECT
 public:
  explicit HtmlView(QWidget* parent = nullptr);

  // Whether a clicked `link` goes to the browser.
  static bool LeavesTheView(const QUrl& link);

 protected:
  QVariant loadResource(int type, const QUrl& name) override;
};

}  // namespace ui
