#pragma once

#include <QDialog>
#include <string>

#include "news/NewsRequests.h"
#include "util/SplitString.h"

class QPushButton;
class QSplitter;

namespace ui {
class HtmlView;
class ListView;
class MessageBox;
}  // namespace ui

namespace shell {

// The news window: the entries of a news list, as the service gave them,
// above the HTML view of the one selected. Selecting an item fetches its text
// from `service` and remembers it as the item last opened in the brand file
// in `programFolder`.
class TfrmNews : public QDialog {
  Q_OBJECT
 public:
  TfrmNews(QWidget* parent, ui::MessageBox& messages, std::string programFolder,
           news::Service service, UUtils::StringList entries);

  // An item's text is being fetched: the selection stays where it is meanwhile.
  bool Busy() const { return FBusy; }

 protected:
  void showEvent(QShowEvent* event) override;
  void done(int result) override;

 private:
  // The window's operation: one item's text, a warning shown when it fails.
  bool GetNewsDetails(std::string newsId, std::string& details);

  // Controls.
  QWidget* bsSkinPanel1;
  ui::ListView* lvwItems;
  QSplitter* bsSkinSplitter1;
  ui::HtmlView* prfEditorNews;
  QWidget* bsSkinPanel2;
  QPushButton* btnExit;

  // Handlers.
  void FormShow();
  bool lvwItemsChanging() const;
  void lvwItemsChange();
  void btnExitClick();

  ui::MessageBox& msgMain;
  std::string programFolder_;
  news::Service service_;
  UUtils::StringList entries_;
  bool FBusy = false;
  bool shown_ = false;
};

}  // namespace shell
