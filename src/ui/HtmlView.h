#pragma once

#include <QTextBrowser>

namespace ui {

// A read-only view of an HTML source text. It never loads anything from the
// network and runs no scripts; a clicked link to a web address opens in the
// browser, the view itself never follows it.
class HtmlView : public QTextBrowser {
  Q_OBJECT
 public:
  explicit HtmlView(QWidget* parent = nullptr);

 protected:
  QVariant loadResource(int type, const QUrl& name) override;
};

}  // namespace ui
