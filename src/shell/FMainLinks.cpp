// What the header buttons and the banner open: web pages of the reseller in
// the browser, and the about box.
#include <QPushButton>
#include <QToolButton>

#include "brand/BrandProfile.h"
#include "shell/FAbout.h"
#include "shell/FMain.h"
#include "ui/Application.h"
#include "ui/Cp1252.h"
#include "ui/PictureView.h"
#include "util/Launch.h"

namespace shell {

namespace {

// Brand addresses are Windows-1252; the system takes UTF-8.
void OpenBrandURL(const std::string& address) {
  UUtils::OpenURL(ui::FromCp1252(address).toStdString());
}

}  // namespace

void TfrmMain::ConnectLinks() {
  ui::ConnectHandler(btnMakeMoney, &QPushButton::clicked, this, &TfrmMain::btnMakeMoneyClick);
  ui::ConnectHandler(btnAbout, &QPushButton::clicked, this, &TfrmMain::btnAboutClick);
  ui::ConnectHandler(bsSkinSpeedButton2, &QToolButton::clicked, this, &TfrmMain::btnHelpClick);
  ui::ConnectHandler(imgBanner, &ui::PictureView::clicked, this, &TfrmMain::imgBannerClick);
  ui::ConnectHandler(gifBanner, &ui::PictureView::clicked, this, &TfrmMain::gifBannerClick);
}

void TfrmMain::btnMakeMoneyClick() { OpenBrandURL(brand::BrandProfile.AffiliateURL); }

void TfrmMain::btnHelpClick() { OpenBrandURL(brand::BrandProfile.AppHelpURL); }

void TfrmMain::imgBannerClick() {
  if (!brand::BrandProfile.BannerURL.empty()) OpenBrandURL(brand::BrandProfile.BannerURL);
}

void TfrmMain::gifBannerClick() {
  if (!brand::BrandProfile.BannerURL.empty()) OpenBrandURL(brand::BrandProfile.BannerURL);
}

void TfrmMain::btnAboutClick() {
  // A fresh box for each showing, so it always shows the current brand.
  TfrmAbout frmAbout(brand::BrandProfile, this);
  frmAbout.exec();
}

}  // namespace shell
