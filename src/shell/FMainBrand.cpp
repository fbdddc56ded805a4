// The reseller's brand dresses the main window while it is created.
#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QMovie>
#include <QPixmap>
#include <QPushButton>
#include <QToolButton>
#include <filesystem>
#include <optional>

#include "brand/BannerPicture.h"
#include "brand/BrandDocument.h"
#include "brand/BrandProfile.h"
#include "brand/BrandReading.h"
#include "brand/BrandSkin.h"
#include "shell/FMain.h"
#include "ui/Cp1252.h"
#include "ui/LinkLabel.h"
#include "ui/PictureView.h"
#include "util/AppError.h"
#include "util/AppVersion.h"
#include "util/TextLines.h"

namespace shell {

namespace {

using brand::kIconFile;
using brand::kSkinFile;

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

// The brand's skin, when its file holds one; anything else keeps the
// built-in skin. A skin too large to be one is refused with the reason.
std::optional<QString> ReadSkin(const std::string& folder) {
  const std::string path = folder + kSkinFile;
  if (!Exists(path)) return std::nullopt;
  return brand::ReadSkinFile(path);
}

void ApplyIcon(const std::string& folder, QWidget* window) {
  const std::string path = folder + kIconFile;
  if (!Exists(path)) return;
  // Every picture the file holds, read once, as `tolvan brand check` reads it.
  QIcon icon;
  for (const QImage& picture : brand::DecodeIcon(path)) icon.addPixmap(QPixmap::fromImage(picture));
  qApp->setWindowIcon(icon);
  window->setWindowIcon(icon);
}

}  // namespace

// The banner: one entry at random, its picture, still or animated, in the
// strip, which takes the picture's height + 10; the strip is hidden when
// there is no picture to show.
void TfrmMain::ApplyBanner(const brand::Entries& banners) {
  brand::TBrandProfile& profile = brand::BrandProfile;
  int number = 0;
  if (const auto banner = brand::ChooseBanner(banners)) {
    number = banner->number;
    profile.BannerURL = banner->parts.address;
    profile.BannerFile = banner->parts.name;
  }
  if (!profile.BannerURL.empty()) {
    imgBanner->setCursor(Qt::PointingHandCursor);
    gifBanner->setCursor(Qt::PointingHandCursor);
  }

  // The picture is read where it lies, in the format its entry's file name
  // gives; no file is renamed or touched.
  const std::string path = brand::BannerDataPath(appFolder_, number);
  if (profile.BannerFile.empty() || !Exists(path)) {
    panBanner->hide();
    return;
  }
  const brand::DecodedBanner picture = brand::DecodeBanner(path, profile.BannerFile);
  if (picture.animated) {
    imgBanner->hide();
    gifBanner->show();
    gifBanner->ShowAnimation(std::make_unique<QMovie>(QString::fromStdString(path), "gif"));
    panBanner->setFixedHeight(gifBanner->height() + 10);
    return;
  }
  gifBanner->hide();
  imgBanner->show();
  imgBanner->ShowPicture(picture.picture);
  panBanner->setFixedHeight(imgBanner->height() + 10);
}

// Two different links at random; the strip shows only with a first caption.
void TfrmMain::ApplyLinks(brand::Entries links) {
  brand::TBrandProfile& profile = brand::BrandProfile;
  const std::vector<brand::EntryParts> chosen = brand::ChooseLinks(std::move(links));
  if (!chosen.empty()) {
    profile.Link1URL = chosen[0].address;
    profile.Link1Caption = chosen[0].name;
  }
  if (chosen.size() > 1) {
    profile.Link2URL = chosen[1].address;
    profile.Link2Caption = chosen[1].name;
  }
  panLinks->setVisible(!profile.Link1Caption.empty());
  lblLink1URL->setText(ui::FromCp1252(profile.Link1Caption));
  lblLink1URL->SetAddress(ui::FromCp1252(profile.Link1URL));
  lblLink2URL->setText(ui::FromCp1252(profile.Link2Caption));
  lblLink2URL->SetAddress(ui::FromCp1252(profile.Link2URL));
}

void TfrmMain::WearBrandSkinEarly() {
  // A style sheet set once the widgets exist restyles every one of them
  // again; the brand's skin is therefore worn before they are made.
  // ApplyBrandSettings keeps it when the brand gets as far as its skin.
  // A skin file that cannot be read is left to ApplyBrandSettings, which
  // reports it in its turn.
  if (!Exists(appFolder_ + brand::kBrandFile)) return;
  std::optional<QString> sheet;
  try {
    sheet = ReadSkin(appFolder_);
  } catch (...) {
    return;
  }
  if (!sheet) return;
  earlySkin_ = EarlySkin{qApp->styleSheet(), false};
  qApp->setStyleSheet(*sheet);
}

void TfrmMain::ApplySkin() {
  if (earlySkin_) {
    earlySkin_->kept = true;
  } else if (const auto sheet = ReadSkin(appFolder_)) {
    qApp->setStyleSheet(*sheet);
  }
}

void TfrmMain::ApplyBrandSettings() {
  // A skin worn early that the brand does not get to comes off again before
  // anything is reported, so the window and any error box wear what they
  // would have worn without it.
  struct SkinGuard {
    std::optional<EarlySkin>& skin;
    ~SkinGuard() {
      if (skin && !skin->kept) qApp->setStyleSheet(skin->replaced);
      skin.reset();
    }
  } guard{earlySkin_};

  const auto lines = brand::LoadBrandDocument(appFolder_);
  if (!lines) return;  // no brand: the window keeps its designed state

  // Every value comes from this one document, in the order it must follow.
  brand::BrandDocument document(*lines);
  brand::TBrandProfile& profile = brand::BrandProfile;
  const std::string makeMoney = brand::ReadNamedTags(document, profile);
  setWindowTitle(ui::FromCp1252(profile.ApplicationName) + " v" + UUtils::AppVersion);
  btnNews->setVisible(brand::NewsButtonShown(profile));
  // An ampersand in the caption is shown, not taken as a shortcut key.
  btnMakeMoney->setText(ui::FromCp1252(makeMoney).replace(u'&', QStringLiteral("&&")));

  const brand::Entries welcome = brand::ReadEntries(document, "Welcome");
  const brand::Entries banners = brand::ReadEntries(document, "Banner");
  brand::Entries links = brand::ReadEntries(document, "Link");
  if (!welcome.empty()) profile.WelcomePage = welcome[brand::ChooseAtRandom(welcome.size())].text;
  ApplyBanner(banners);
  ApplyLinks(std::move(links));
  ApplySkin();
  ApplyIcon(appFolder_, this);
}

}  // namespace shell
