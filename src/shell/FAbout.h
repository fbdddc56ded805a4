#pragma once

#include <QDialog>

#include "brand/BrandProfile.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;

namespace shell {

// The about box: the brand's application name, the program version, the
// brand's copyright line and its about text.
class TfrmAbout : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmAbout(const brand::TBrandProfile& brand, QWidget* parent = nullptr);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Controls.
  QLabel* lblProductName;
  QLabel* lblProductVersion;
  QLabel* lblCopyright;
  QWidget* bsSkinPanel1;
  QPlainTextEdit* memAbout;
  QScrollBar* bsSkinScrollBar1;
  QPushButton* editAbout;

  // Handlers.
  void FormCreate(const brand::TBrandProfile& brand);
  void editAboutClick();

  void PlaceControls();
  void ConnectScrollBar();
};

}  // namespace shell
