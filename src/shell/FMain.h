#pragma once

#include <QString>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/BalloonHint.h"
#include "ui/MessageBox.h"
#include "update/UpdateCheck.h"
#include "util/AppFolder.h"
#include "util/TemporaryFolder.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTimer;
class QToolButton;

namespace ui {
class ColorComboBox;
class DateField;
class GroupBox;
class HtmlView;
class LinkLabel;
class PictureView;
class SpinEdit;
}  // namespace ui

namespace brand {
struct Entry;
}  // namespace brand

namespace generator {
struct OfferSettings;
}  // namespace generator

namespace news {
struct Service;
}  // namespace news

namespace trial {
class Trial;
}  // namespace trial

namespace shell {
class TfrmPublish;
}  // namespace shell

namespace shell {

// The main window: the welcome page and the main page with the offer
// settings panel.
class TfrmMain : public QWidget {
  Q_OBJECT
 public:
  // `appFolder` holds the brand and its media; `updateBaseUrl` is the publisher's live-update
  // folder.
  explicit TfrmMain(std::string appFolder = UUtils::AppFolder(),
                    std::string updateBaseUrl = update::UpdateBaseURL);
  ~TfrmMain() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Operations.
  void ApplyBrandSettings();
  void GenerateScript();
  void ShowPreview();
  void TryHere();
  void PublishPackage();
  generator::OfferSettings GatherOfferSettings() const;
  void UpdateOfferSummary();
  void CheckForUpdate(bool Quiet);
  void ShowNewsHint(const std::string& text);

  // Controls.
  QStackedWidget* pgcPrinc;
  // The welcome page exists only while the brand has one (see FormShow).
  QWidget* stsWelcome = nullptr;
  ui::HtmlView* prfWelcome = nullptr;
  QWidget* bsSkinPanel14 = nullptr;
  QPushButton* bsSkinButton1 = nullptr;
  QWidget* stsMain;
  QWidget* bsSkinPanel4;
  QPushButton* btnMakeMoney;
  QPushButton* btnAbout;
  QToolButton* btnNews;
  QToolButton* bsSkinSpeedButton1;
  QToolButton* bsSkinSpeedButton2;
  QWidget* panBanner;
  ui::PictureView* imgBanner;
  ui::PictureView* gifBanner;
  QWidget* bsSkinPanel1;
  // The offer in plain words, in a strip under the panel that adds its height to the window's.
  static constexpr int kSummaryHeight = 96;
  QWidget* panSummary;
  QLabel* lblOfferSummary;
  QWidget* panLinks;
  ui::LinkLabel* lblLink1URL;
  ui::LinkLabel* lblLink2URL;
  QTimer* Timer1;
  ui::MessageBox msgMain;
  ui::BalloonHint LMDMessageHint1;

  // The offer settings panel.
  ui::GroupBox* bsSkinGroupBox2;
  QLineEdit* edtPage;
  QPushButton* btnBrowse;
  ui::SpinEdit* edtMaxNumSales;
  ui::SpinEdit* edtCounterRefresh;
  ui::GroupBox* bsSkinGroupBox1;
  QRadioButton* rbtLimitNumber;
  QRadioButton* rbtExpiryDate;
  ui::DateField* edtExpiryDate;
  ui::SpinEdit* edtTimeZone;
  QRadioButton* rbtOneTimeOffer;
  ui::SpinEdit* edtTimeOut;
  ui::GroupBox* bsSkinGroupBox3;
  QLineEdit* edtHurrexText;
  QRadioButton* rbtOnTop;
  QRadioButton* rbtOnBottom;
  ui::ColorComboBox* cbxBarColor;
  ui::SpinEdit* edtBarWidth;
  ui::SpinEdit* edtBarHeight;
  ui::SpinEdit* edtBarBorder;
  ui::GroupBox* bsSkinGroupBox4;
  QLineEdit* edtRedirectPage;
  QPushButton* btnGenerateScript;
  QPushButton* btnPreview;
  QPushButton* btnTryHere;
  QPushButton* btnPublish;

  // Handlers.
  void FormCreate();
  void FormShow();
  void FormResize();
  void FormClose();
  void bsSkinButton1Click();
  void btnMakeMoneyClick();
  void btnHelpClick();
  void imgBannerClick();
  void gifBannerClick();
  void btnAboutClick();
  void Timer1Timer();
  void btnUpdateClick();
  void rbtLimitNumberClick();
  void rbtExpiryDateClick();
  void rbtOneTimeOfferClick();
  void btnBrowseClick();
  void btnGenerateScriptClick();
  void btnPreviewClick();
  void btnTryHereClick();
  void btnPublishClick();
  void btnNewsClick();

  // A brand skin worn before the widgets are made, with the style sheet it
  // replaced; `kept` once the brand has got as far as its skin.
  struct EarlySkin {
    QString replaced;
    bool kept = false;
  };
  void WearBrandSkinEarly();
  // The banner and the links, each chosen at random from the brand's entries.
  void ApplyBanner(const std::vector<brand::Entry>& banners);
  void ApplyLinks(std::vector<brand::Entry> links);
  void ApplySkin();

  void CreateWelcomePage();
  void FillWelcomePage();
  void CreateMainPage();
  void CreateHeaderBar();
  // The offer panel and its summary, made once.
  void CreateOfferControls();
  void CreateOfferPanel();
  void CreateOfferSummary();
  void SetOfferFieldsEnabled(bool expiry, bool timeOut);
  void ConnectLinks();
  // While a user's request runs, says that it goes on and answers true.
  bool TellToWait();
  // The brand's news service; nothing when its tier has none.
  std::optional<news::Service> NewsService() const;
  // Publishes the page with the destination of the open publish dialog.
  void PublishTo(TfrmPublish& dialog, const std::string& page);

  std::string appFolder_;
  std::string updateBaseUrl_;
  // The set-up address with the key of the last package generated, shown under the summary.
  std::string setupAddress_;
  // That key, and the page it was generated for: the publish dialog's check opens the set-up page
  // with it.
  std::string setupKey_;
  std::string setupKeyPage_;
  std::optional<EarlySkin> earlySkin_;
  bool offerControlsMade_ = false;
  // Made at the first preview; the pages shown go with the window.
  std::optional<UUtils::TemporaryFolder> previewFolder_;
  // The running try of the offer, one at a time, until the window closes.
  std::unique_ptr<trial::Trial> trial_;

  bool shown_ = false;
  bool painted_ = false;
  // A check for updates has had its answer (the start-up check then skips its own).
  bool updateChecked_ = false;
};

}  // namespace shell
