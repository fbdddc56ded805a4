#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sys/stat.h>

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QMovie>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <functional>
#include <set>

#include "brand/BrandProfile.h"
#include "brand/BrandSkin.h"
#include "shell/FAbout.h"
#include "shell/FMain.h"
#include "shell/tests/Controls.h"
#include "testsupport/BrandMedia.h"
#include "testsupport/TempFolder.h"
#include "ui/Application.h"
#include "ui/HtmlView.h"
#include "ui/LinkLabel.h"
#include "ui/MessageBox.h"
#include "ui/PictureView.h"
#include "ui/Skin.h"
#include "brand/BrandFileCipher.h"
#include "util/Launch.h"
#include "util/TextLines.h"

namespace fs = std::filesystem;
using shell::TfrmMain;
using shelltest::Control;
using UUtils::Launcher;

namespace {

std::string Tag(const std::string& name, const std::string& value) {
  return "<%%" + name + "%%>" + value + "<%%/" + name + "%%>\r\n";
}

const std::string kFullBrand =
    Tag("ApplicationName", "Caf\xE9 Seller") + Tag("BranderCode", "CS1") +
    Tag("BranderType", "Gold") +
    Tag("AffiliateURL", "http://pay.example/?a=%%AFFILIATEID%%&b=%%AFFILIATEID%%") +
    Tag("AffiliateTYPE", "cb") + Tag("AffiliateID", "joe") +
    Tag("GoldNewsBaseURL", "http://news.example/") + Tag("GoldPublID", "77") +
    Tag("MakeMoneyButton", "Earn with us") + Tag("AppHelpURL", "http://help.example/") +
    Tag("CopyrightYears", "2009-2011") + Tag("CopyrightCompany", "Caf\xE9 Ltd") +
    Tag("AboutText", "\r\nFirst line\r\nSecond line\r\n") +
    Tag("Welcome1", "<h1>Welcome to our shop</h1>") +
    Tag("Banner1", "c:\\media\\Top.JPG^http://shop.example/banner") +
    Tag("Link1", "Our shop^http://shop.example/") + Tag("Link2", "Our blog^http://blog.example/");

class BrandWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    Launcher::ClearRecorded();
    ui::MessageBox::ClearShown();
  }
  void TearDown() override {
    brand::BrandProfile = {};
    // The application carries the skin and the icon from one window to the
    // next; the next test starts from the built-in ones.
    qApp->setStyleSheet(ui::Skin::BuiltIn());
    qApp->setWindowIcon(ui::Application::OwnIcon());
  }

  std::string Folder() const { return folder.Root().string() + "/"; }
  void Write(const std::string& name, const std::string& bytes) {
    UUtils::WriteFileBytes(folder.Path(name), bytes);
  }
  void WriteBrand(const std::string& plain) {
    Write("brand.txt", plain);
    brand::EncryptToFile(folder.Path("brand.txt"), folder.Path("dbsettings.dat"));
    fs::remove(folder.Path("brand.txt"));
  }
  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& item : fs::directory_iterator(folder.Root())) {
      names.insert(item.path().filename().string());
    }
    return names;
  }
  static std::vector<std::string> Opened() {
    std::vector<std::string> addresses;
    for (const auto& launch : Launcher::Recorded()) addresses.push_back(launch.arguments.at(0));
    Launcher::ClearRecorded();
    return addresses;
  }
  static std::vector<QString> Errors() {
    std::vector<QString> texts;
    for (const auto& shown : ui::MessageBox::Shown()) texts.push_back(shown.text);
    return texts;
  }

  testsupport::TempFolder folder;
};

// What the window wears when it is first drawn.
class FirstFrame : public QObject {
 public:
  explicit FirstFrame(TfrmMain& window) : window_(window) { window.installEventFilter(this); }

  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && !seen) {
      seen = true;
      title = window_.windowTitle();
      page = Control<QStackedWidget>(window_, "pgcPrinc")->currentWidget();
      skin = qApp->styleSheet();
    }
    return false;
  }

  bool seen = false;
  QString title;
  QWidget* page = nullptr;
  QString skin;

 private:
  TfrmMain& window_;
};

}  // namespace

TEST_F(BrandWindow, fullBrandDressesTheWindowAndItsLinksOpenTheirAddresses) {
  WriteBrand(kFullBrand);
  const std::string jpeg = brandmedia::Picture(300, 50, "jpeg");
  Write("banner1.dat", jpeg);
  Write("mainskin.dat", brandmedia::Skin("#panBanner { background: #123456; }"));
  Write("main.ico", brandmedia::Picture(32, 32, "ico"));

  TfrmMain window(Folder());
  EXPECT_TRUE(Errors().empty()) << Errors()[0].toStdString();
  EXPECT_EQ(window.windowTitle(), QString::fromUtf8("Café Seller v2.01"));
  EXPECT_FALSE(Control<QToolButton>(window, "btnNews")->isHidden());
  EXPECT_EQ(Control<QPushButton>(window, "btnMakeMoney")->text(), "Earn with us");

  const brand::TBrandProfile& p = brand::BrandProfile;
  EXPECT_EQ(p.BranderCode, "CS1");
  EXPECT_EQ(p.AffiliateURL, "http://pay.example/?a=joe&b=joe");
  EXPECT_EQ(p.AffiliateTYPE, "cb");
  EXPECT_EQ(p.WelcomePage, "<h1>Welcome to our shop</h1>");
  EXPECT_EQ(p.BannerFile, "c:\\media\\Top.JPG");

  // The still banner, read in place from its numbered file.
  EXPECT_FALSE(Control<ui::PictureView>(window, "imgBanner")->isHidden());
  EXPECT_TRUE(Control<ui::PictureView>(window, "gifBanner")->isHidden());
  EXPECT_EQ(Control<ui::PictureView>(window, "imgBanner")->size(), QSize(300, 50));
  EXPECT_EQ(Control<QWidget>(window, "panBanner")->height(), 60);
  EXPECT_EQ(Control<ui::PictureView>(window, "imgBanner")->cursor().shape(),
            Qt::PointingHandCursor);
  EXPECT_EQ(UUtils::ReadFileBytes(folder.Path("banner1.dat")), jpeg);
  EXPECT_EQ(Names(),
            (std::set<std::string>{"banner1.dat", "dbsettings.dat", "main.ico", "mainskin.dat"}));

  // Two different links of the two.
  EXPECT_FALSE(Control<QWidget>(window, "panLinks")->isHidden());
  const std::set<QString> captions = {Control<ui::LinkLabel>(window, "lblLink1URL")->text(),
                                      Control<ui::LinkLabel>(window, "lblLink2URL")->text()};
  EXPECT_EQ(captions, (std::set<QString>{"Our shop", "Our blog"}));
  EXPECT_EQ(Control<ui::LinkLabel>(window, "lblLink1URL")->Address(),
            Control<ui::LinkLabel>(window, "lblLink1URL")->text() == "Our shop"
                ? "http://shop.example/"
                : "http://blog.example/");

  EXPECT_TRUE(qApp->styleSheet().contains("#123456"));
  EXPECT_NE(qApp->windowIcon().cacheKey(), ui::Application::OwnIcon().cacheKey()) << "the brand's";
  EXPECT_TRUE(Control<QTimer>(window, "Timer1")->isActive() == false)
      << "the welcome page holds the check";

  // The first frame already shows the branded window on its welcome page;
  // the page's text fills in straight after it.
  FirstFrame frame(window);
  window.show();
  ASSERT_TRUE(QTest::qWaitFor([&frame] { return frame.seen; }));
  EXPECT_EQ(frame.title, QString::fromUtf8("Café Seller v2.01"));
  EXPECT_EQ(frame.page, Control<QWidget>(window, "stsWelcome"));
  EXPECT_TRUE(frame.skin.contains("#123456"));
  EXPECT_TRUE(QTest::qWaitFor([&window] {
    return Control<ui::HtmlView>(window, "prfWelcome")
        ->toPlainText()
        .contains("Welcome to our shop");
  }));
  EXPECT_EQ(Control<QStackedWidget>(window, "pgcPrinc")->currentWidget(),
            Control<QWidget>(window, "stsWelcome"));

  Launcher::ClearRecorded();
  Control<QPushButton>(window, "btnMakeMoney")->click();
  Control<QToolButton>(window, "bsSkinSpeedButton2")->click();
  QTest::mouseClick(Control<ui::PictureView>(window, "imgBanner"), Qt::LeftButton);
  QTest::mouseClick(Control<ui::PictureView>(window, "gifBanner"), Qt::LeftButton);
  EXPECT_EQ(Opened(),
            (std::vector<std::string>{"http://pay.example/?a=joe&b=joe", "http://help.example/",
                                      "http://shop.example/banner", "http://shop.example/banner"}));
  Control<QPushButton>(window, "bsSkinButton1")->click();
  QTest::mouseClick(Control<QPushButton>(window, "btnMakeMoney"), Qt::LeftButton);
  QTest::mouseClick(Control<QToolButton>(window, "bsSkinSpeedButton2"), Qt::LeftButton);
  QTest::mouseClick(Control<ui::PictureView>(window, "imgBanner"), Qt::LeftButton);
  QTest::mouseClick(Control<ui::LinkLabel>(window, "lblLink2URL"), Qt::LeftButton);
  EXPECT_EQ(Opened(), (std::vector<std::string>{
                          "http://pay.example/?a=joe&b=joe", "http://help.example/",
                          "http://shop.example/banner",
                          Control<ui::LinkLabel>(window, "lblLink2URL")->Address().toStdString()}));
}

TEST_F(BrandWindow, smallBrandsFollowTheRulesForCaptionNewsButtonBannerAndLinks) {
  struct Case {
    const char* what;
    std::string plain;
    QString caption;
    bool news, banner, links;
    QString link1, link2;
  };
  const Case cases[] = {
      {"no name: the caption begins with the blank",
       Tag("BranderType", "Free") + Tag("MasterNewsBaseURL", "http://n/") +
           Tag("MasterPublID", "1") + Tag("Link1", "Shop^http://s/"),
       " v2.01", true, false, true, "Shop", ""},
      {"tier in the wrong case hides News",
       Tag("ApplicationName", "A") + Tag("BranderType", "gold") +
           Tag("GoldNewsBaseURL", "http://n/") + Tag("GoldPublID", "1"),
       "A v2.01", false, false, false, "", ""},
      {"a first link without caption hides the strip", Tag("Link1", "^http://s/"), " v2.01", false,
       false, false, "", ""},
  };
  for (const auto& c : cases) {
    WriteBrand(c.plain);
    TfrmMain window(Folder());
    EXPECT_TRUE(Errors().empty()) << c.what;
    EXPECT_EQ(window.windowTitle(), c.caption) << c.what;
    EXPECT_EQ(!Control<QToolButton>(window, "btnNews")->isHidden(), c.news) << c.what;
    EXPECT_EQ(Control<QPushButton>(window, "btnMakeMoney")->text(), "Make Money") << c.what;
    EXPECT_EQ(!Control<QWidget>(window, "panBanner")->isHidden(), c.banner) << c.what;
    if (c.links) {
      EXPECT_FALSE(Control<QWidget>(window, "panLinks")->isHidden()) << c.what;
      EXPECT_EQ(Control<ui::LinkLabel>(window, "lblLink1URL")->text(), c.link1) << c.what;
      EXPECT_EQ(Control<ui::LinkLabel>(window, "lblLink2URL")->text(), c.link2) << c.what;
      EXPECT_EQ(Control<ui::LinkLabel>(window, "lblLink2URL")->Address(), "") << c.what;
    } else {
      EXPECT_TRUE(Control<QWidget>(window, "panLinks")->isHidden()) << c.what;
    }
    brand::BrandProfile = {};
  }
}

TEST_F(BrandWindow, animatedBannerNamedInCapitalsPlaysFromItsNumberedFile) {
  WriteBrand(Tag("Banner1", "banners/Spin.GIF^http://shop.example/"));
  const std::string gif = brandmedia::AnimatedGif(40, 20, 3);
  Write("banner1.dat", gif);
  TfrmMain window(Folder());
  EXPECT_TRUE(Errors().empty()) << Errors()[0].toStdString();
  EXPECT_FALSE(Control<ui::PictureView>(window, "gifBanner")->isHidden());
  EXPECT_TRUE(Control<ui::PictureView>(window, "imgBanner")->isHidden());
  ASSERT_NE(Control<ui::PictureView>(window, "gifBanner")->Animation(), nullptr);
  EXPECT_EQ(Control<ui::PictureView>(window, "gifBanner")->Animation()->frameCount(), 3);
  EXPECT_EQ(Control<ui::PictureView>(window, "gifBanner")->Animation()->state(), QMovie::Running);
  EXPECT_EQ(Control<ui::PictureView>(window, "gifBanner")->size(), QSize(40, 20));
  EXPECT_EQ(Control<QWidget>(window, "panBanner")->height(), 30);
  EXPECT_EQ(UUtils::ReadFileBytes(folder.Path("banner1.dat")), gif);
  EXPECT_EQ(Names(), (std::set<std::string>{"banner1.dat", "dbsettings.dat"}));
}

TEST_F(BrandWindow, bannerWithoutItsFileHidesTheStripButKeepsTheHandCursor) {
  WriteBrand(Tag("Banner1", "top.jpg^http://shop.example/"));
  TfrmMain window(Folder());
  EXPECT_TRUE(Errors().empty());
  EXPECT_TRUE(Control<QWidget>(window, "panBanner")->isHidden());
  EXPECT_EQ(Control<ui::PictureView>(window, "gifBanner")->cursor().shape(),
            Qt::PointingHandCursor);
}

TEST_F(BrandWindow, aFailingStepIsReportedAndTheWindowIsStillUsable) {
  struct Case {
    const char* what;
    std::string banner;
    std::string data;
    const char* error;
  };
  const Case cases[] = {
      {"banner without address", "top.jpg", brandmedia::Picture(10, 10, "jpeg"),
       "The brand's Banner1 entry has no address: write it as name^address."},
      {"picture that is no JPEG", "top.jpg^http://s/", "not a picture", "cannot be read as JPEG"},
      {"metafile", "top.wmf^http://s/", "metafile bytes", "there is no reader for \"top.wmf\""},
      {"GIF that is no GIF", "top.gif^http://s/", brandmedia::Picture(10, 10, "png"),
       "cannot be read as GIF"},
  };
  for (const auto& c : cases) {
    ui::MessageBox::ClearShown();
    WriteBrand(Tag("ApplicationName", "Shop") + Tag("Banner1", c.banner) +
               Tag("Link1", "Blog^http://blog/"));
    Write("banner1.dat", c.data);
    Write("mainskin.dat", brandmedia::Skin("#panBanner { background: #654321; }"));
    TfrmMain window(Folder());
    ASSERT_EQ(Errors().size(), 1u) << c.what;
    EXPECT_TRUE(Errors()[0].contains(c.error)) << c.what << ": " << Errors()[0].toStdString();
    EXPECT_EQ(ui::MessageBox::Shown()[0].caption, "Error");
    // What came before stays; the later steps are not done.
    EXPECT_EQ(window.windowTitle(), "Shop v2.01") << c.what;
    EXPECT_NE(Control<ui::LinkLabel>(window, "lblLink1URL")->text(), "Blog") << c.what;
    EXPECT_FALSE(qApp->styleSheet().contains("#654321")) << c.what;
    // The window is made ready all the same.
    EXPECT_TRUE(Control<QTimer>(window, "Timer1")->isActive()) << c.what;
    EXPECT_EQ(UUtils::ReadFileBytes(folder.Path("banner1.dat")), c.data) << c.what;
    brand::BrandProfile = {};
  }
}

TEST_F(BrandWindow, iconThatCannotBeReadIsReportedAfterTheSkin) {
  WriteBrand(Tag("ApplicationName", "Shop"));
  Write("mainskin.dat", brandmedia::Skin("#panBanner { background: #654321; }"));
  Write("main.ico", "not an icon");
  TfrmMain window(Folder());
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_TRUE(Errors()[0].contains("main.ico\" cannot be read.")) << Errors()[0].toStdString();
  EXPECT_TRUE(qApp->styleSheet().contains("#654321"));
  EXPECT_EQ(qApp->windowIcon().cacheKey(), ui::Application::OwnIcon().cacheKey());
  EXPECT_EQ(window.windowIcon().cacheKey(), ui::Application::OwnIcon().cacheKey());
  EXPECT_TRUE(Control<QTimer>(window, "Timer1")->isActive());
}

TEST_F(BrandWindow, skinFileThatIsNoSkinKeepsTheBuiltInOne) {
  WriteBrand(Tag("ApplicationName", "Shop"));
  Write("mainskin.dat", "plain text, not compressed");
  TfrmMain window(Folder());
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(qApp->styleSheet(), ui::Skin::BuiltIn());
  EXPECT_EQ(qApp->windowIcon().cacheKey(), ui::Application::OwnIcon().cacheKey());
}

TEST_F(BrandWindow, settingsFileThatCannotBeReadKeepsTheBuiltInSkin) {
  // A folder or a pipe in the settings file's place: the brand is there but
  // fails at once, before it gets to its skin; the pipe is never waited on.
  const std::function<void(const std::string&)> makers[] = {
      [](const std::string& path) { fs::create_directory(path); },
      [](const std::string& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0); },
  };
  Write("mainskin.dat", brandmedia::Skin("#panBanner { background: #abcdef; }"));
  for (const auto& make : makers) {
    ui::MessageBox::ClearShown();
    fs::remove(folder.Path("dbsettings.dat"));
    make(folder.Path("dbsettings.dat"));
    TfrmMain window(Folder());
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_TRUE(Errors()[0].contains("It is not a regular file")) << Errors()[0].toStdString();
    EXPECT_EQ(window.windowTitle(), "Hurrex Tolvan") << "no brand";
    EXPECT_EQ(qApp->styleSheet(), ui::Skin::BuiltIn());
    EXPECT_TRUE(Control<QTimer>(window, "Timer1")->isActive());
  }
}

TEST_F(BrandWindow, brandTextsAreShownAsWrittenNeverAsMarkup) {
  const std::string markup = "<img src=\"/etc/passwd\"><font size=7>Big</font>";
  WriteBrand(Tag("ApplicationName", markup) + Tag("MakeMoneyButton", "Tips & <b>Tricks</b>") +
             Tag("CopyrightYears", "<i>2011</i>") + Tag("CopyrightCompany", markup) +
             Tag("AboutText", "<h1>About</h1>") + Tag("Link1", markup + "^http://s/"));
  TfrmMain window(Folder());
  EXPECT_TRUE(Errors().empty());
  const QString shown = QString::fromStdString(markup);
  EXPECT_EQ(window.windowTitle(), shown + " v2.01");
  // A single ampersand would mark a shortcut key and vanish from the caption.
  EXPECT_EQ(Control<QPushButton>(window, "btnMakeMoney")->text(), "Tips && <b>Tricks</b>");
  EXPECT_EQ(Control<ui::LinkLabel>(window, "lblLink1URL")->text(), shown);
  EXPECT_EQ(Control<ui::LinkLabel>(window, "lblLink1URL")->textFormat(), Qt::PlainText);

  shell::TfrmAbout box(brand::BrandProfile);
  EXPECT_EQ(box.windowTitle(), "About " + shown + "...");
  for (QLabel* label :
       {Control<QLabel>(box, "lblProductName"), Control<QLabel>(box, "lblCopyright")}) {
    EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
  }
  EXPECT_EQ(Control<QLabel>(box, "lblProductName")->text(), shown);
  EXPECT_EQ(Control<QLabel>(box, "lblCopyright")->text(), "Copyright (c) <i>2011</i> " + shown);
  EXPECT_EQ(Control<QPlainTextEdit>(box, "memAbout")->toPlainText(), "<h1>About</h1>");
}

TEST_F(BrandWindow, longLinkCaptionsAreCutAndNeverWidenTheWindow) {
  const std::string caption(3000, 'W');
  WriteBrand(Tag("Link1", caption + "^http://a/") + Tag("Link2", caption + "^http://b/"));
  TfrmMain window(Folder());
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  const QRect screen = window.screen()->availableGeometry();
  EXPECT_LE(window.minimumSizeHint().width(), screen.width());
  EXPECT_EQ(window.width(), 768);
  for (ui::LinkLabel* link : {Control<ui::LinkLabel>(window, "lblLink1URL"),
                              Control<ui::LinkLabel>(window, "lblLink2URL")}) {
    EXPECT_EQ(link->text().size(), 3000);
    EXPECT_TRUE(link->ShownText().endsWith(QChar(0x2026))) << link->ShownText().toStdString();
    EXPECT_LT(link->width(), window.width());
  }
}

TEST_F(BrandWindow, skinTooLargeToBeOneKeepsTheBuiltInSkinAndSaysWhy) {
  // Compressed into a few kilobytes, yet far beyond any style sheet once inflated.
  const std::string bomb =
      brandmedia::Skin("#panBanner { background: #654321; }\n" + std::string(64 << 20, ' '));
  ASSERT_LT(bomb.size(), 200u << 10);
  std::string noise(brand::kMaxSkinSize + 1, '\0');
  for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = char(i * 2654435761u >> 24);
  const struct {
    const char* what;
    std::string data;
    const char* error;
  } cases[] = {
      {"bomb", bomb, "it inflates to more than 1 MB"},
      {"large file", noise, "it is larger than 1 MB"},
  };
  for (const auto& c : cases) {
    ui::MessageBox::ClearShown();
    WriteBrand(Tag("ApplicationName", "Shop"));
    Write("mainskin.dat", c.data);
    Write("main.ico", brandmedia::Picture(32, 32, "ico"));
    TfrmMain window(Folder());
    ASSERT_EQ(Errors().size(), 1u) << c.what;
    EXPECT_TRUE(Errors()[0].contains(c.error)) << Errors()[0].toStdString();
    EXPECT_TRUE(Errors()[0].contains("The built-in skin stays.")) << Errors()[0].toStdString();
    EXPECT_EQ(qApp->styleSheet(), ui::Skin::BuiltIn()) << c.what;
    EXPECT_EQ(window.windowTitle(), "Shop v2.01");
    brand::BrandProfile = {};
  }
}

TEST_F(BrandWindow, mediaThatIsNoPlainFileIsReportedInsteadOfHoldingTheWindowUp) {
  for (const char* name : {"mainskin.dat", "main.ico", "banner1.dat"}) {
    testsupport::TempFolder media;
    const auto at = [&media](const char* file) { return media.Path(file); };
    UUtils::WriteFileBytes(at("brand.txt"), Tag("Banner1", "top.jpg^http://s/"));
    brand::EncryptToFile(at("brand.txt"), at("dbsettings.dat"));
    ASSERT_EQ(::mkfifo(at(name).c_str(), 0600), 0);
    ui::MessageBox::ClearShown();
    TfrmMain window(media.Root().string() + "/");
    ASSERT_EQ(Errors().size(), 1u) << name;
    EXPECT_TRUE(Errors()[0].endsWith("is not a plain file.")) << Errors()[0].toStdString();
    EXPECT_EQ(qApp->styleSheet(), ui::Skin::BuiltIn()) << name;
    brand::BrandProfile = {};
  }
}

TEST_F(BrandWindow, anUnbrandedProgramsMakeMoneyAndHelpOpenNothing) {
  TfrmMain window(Folder());
  QTest::mouseClick(Control<QPushButton>(window, "btnMakeMoney"), Qt::LeftButton);
  QTest::mouseClick(Control<QToolButton>(window, "bsSkinSpeedButton2"), Qt::LeftButton);
  EXPECT_TRUE(Launcher::Recorded().empty());
}
