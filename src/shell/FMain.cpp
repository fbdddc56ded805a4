#include "shell/FMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "brand/BrandProfile.h"
#include "news/NewsRequests.h"
#include "trial/Trial.h"
#include "ui/Application.h"
#include "ui/Cp1252.h"
#include "ui/HtmlView.h"
#include "ui/LinkLabel.h"
#include "ui/PictureView.h"
#include "update/UpdateCheck.h"

namespace shell {

namespace {

// The picture buttons' glyphs, drawn in white: a letter, two arrows chasing
// each other, a question mark.
enum class GlyphKind { News, Update, Help };

QIcon Glyph(GlyphKind kind) {
  QPixmap pixmap(26, 26);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  switch (kind) {
    case GlyphKind::News:
      painter.drawRoundedRect(QRectF(4, 7, 18, 13), 2, 2);
      painter.drawPolyline(QPolygonF({{5, 8.5}, {13, 14.5}, {21, 8.5}}));
      break;
    case GlyphKind::Update:
      painter.drawArc(QRectF(5, 5, 16, 16), 100 * 16, 250 * 16);
      painter.setBrush(Qt::white);
      painter.drawPolygon(QPolygonF({{11, 2.5}, {15.5, 5}, {11, 7.5}}));
      break;
    case GlyphKind::Help: {
      QPainterPath mark;
      mark.moveTo(8.5, 9);
      mark.cubicTo(8.5, 4, 17.5, 4, 17.5, 9);
      mark.cubicTo(17.5, 12.5, 13, 12.5, 13, 16.5);
      painter.drawPath(mark);
      painter.setBrush(Qt::white);
      painter.drawEllipse(QPointF(13, 21), 1.3, 1.3);
      break;
    }
  }
  return QIcon(pixmap);
}

QToolButton* PictureButton(QWidget* parent, const char* name, const QString& hint,
                           GlyphKind glyph) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QLatin1String(name));
  button->setFixedSize(41, 34);
  button->setIcon(Glyph(glyph));
  button->setIconSize(QSize(26, 26));
  button->setToolTip(hint);
  button->setAutoRaise(true);
  return button;
}

QWidget* Panel(QWidget* parent, const char* name) {
  auto* panel = new QWidget(parent);
  panel->setObjectName(QLatin1String(name));
  panel->setAttribute(Qt::WA_StyledBackground);
  return panel;
}

}  // namespace

TfrmMain::TfrmMain(std::string appFolder, std::string updateBaseUrl)
    : msgMain(this), appFolder_(std::move(appFolder)), updateBaseUrl_(std::move(updateBaseUrl)) {
  setObjectName(QStringLiteral("frmMain"));
  setAttribute(Qt::WA_StyledBackground);
  setWindowTitle(QStringLiteral("Hurrex Tolvan"));
  WearBrandSkinEarly();

  // The page control never shows tabs: a stack of pages is all it is.
  pgcPrinc = new QStackedWidget(this);
  pgcPrinc->setObjectName(QStringLiteral("pgcPrinc"));
  auto* frame = new QVBoxLayout(this);
  frame->setContentsMargins(0, 0, 0, 0);
  frame->addWidget(pgcPrinc);
  CreateMainPage();
  ConnectLinks();

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(100);
  ui::ConnectHandler(Timer1, &QTimer::timeout, this, &TfrmMain::Timer1Timer);

  resize(768, 514 + kSummaryHeight);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  FormCreate();
  // Behind a welcome page, the offer panel is made straight after the
  // window's first frame (see paintEvent), or when the main page is asked
  // for before then.
  if (brand::BrandProfile.WelcomePage.empty()) CreateOfferControls();
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::CreateWelcomePage() {
  stsWelcome = Panel(pgcPrinc, "stsWelcome");
  prfWelcome = new ui::HtmlView(stsWelcome);
  prfWelcome->setObjectName(QStringLiteral("prfWelcome"));
  bsSkinPanel14 = Panel(stsWelcome, "bsSkinPanel14");
  bsSkinPanel14->setFixedHeight(39);
  bsSkinButton1 =
      new QPushButton(QStringLiteral("Thanks, just show me the main application"), bsSkinPanel14);
  bsSkinButton1->setObjectName(QStringLiteral("bsSkinButton1"));
  bsSkinButton1->setFixedSize(265, 20);
  bsSkinButton1->setDefault(true);
  ui::ConnectHandler(bsSkinButton1, &QPushButton::clicked, this, &TfrmMain::bsSkinButton1Click);

  auto* strip = new QHBoxLayout(bsSkinPanel14);
  strip->addStretch();
  strip->addWidget(bsSkinButton1);
  strip->addStretch();
  auto* page = new QVBoxLayout(stsWelcome);
  page->setContentsMargins(0, 0, 0, 0);
  page->setSpacing(0);
  page->addWidget(prfWelcome, 1);
  page->addWidget(bsSkinPanel14);
  pgcPrinc->insertWidget(0, stsWelcome);
}

void TfrmMain::CreateMainPage() {
  stsMain = Panel(pgcPrinc, "stsMain");
  CreateHeaderBar();

  panBanner = Panel(stsMain, "panBanner");
  panBanner->setFixedHeight(65);
  panBanner->installEventFilter(this);
  imgBanner = new ui::PictureView(panBanner);
  imgBanner->setObjectName(QStringLiteral("imgBanner"));
  imgBanner->setGeometry(0, 0, 468, 60);
  gifBanner = new ui::PictureView(panBanner);
  gifBanner->setObjectName(QStringLiteral("gifBanner"));
  gifBanner->hide();

  bsSkinPanel1 = Panel(stsMain, "bsSkinPanel1");
  panSummary = Panel(stsMain, "panSummary");
  panSummary->setFixedHeight(kSummaryHeight);

  panLinks = Panel(stsMain, "panLinks");
  panLinks->setFixedHeight(36);
  lblLink1URL = new ui::LinkLabel(QStringLiteral("Visit the Hurrex Tolvan home page"), panLinks);
  lblLink1URL->setObjectName(QStringLiteral("lblLink1URL"));
  lblLink1URL->SetAddress(QStringLiteral("https://hurrex-tolvan.example/"));
  lblLink2URL = new ui::LinkLabel(QStringLiteral("More tools for your sales pages"), panLinks);
  lblLink2URL->setObjectName(QStringLiteral("lblLink2URL"));
  lblLink2URL->SetAddress(QStringLiteral("https://hurrex-tolvan.example/tools/"));
  lblLink2URL->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  auto* links = new QHBoxLayout(panLinks);
  links->setContentsMargins(12, 0, 12, 0);
  links->addWidget(lblLink1URL);
  links->addStretch();
  links->addWidget(lblLink2URL);

  auto* page = new QVBoxLayout(stsMain);
  page->setContentsMargins(0, 0, 0, 0);
  page->setSpacing(0);
  page->addWidget(bsSkinPanel4);
  page->addWidget(panBanner);
  page->addWidget(bsSkinPanel1, 1);
  page->addWidget(panSummary);
  page->addWidget(panLinks);
  pgcPrinc->addWidget(stsMain);
}

void TfrmMain::CreateHeaderBar() {
  bsSkinPanel4 = Panel(stsMain, "bsSkinPanel4");
  bsSkinPanel4->setFixedHeight(43);
  btnMakeMoney = new QPushButton(QStringLiteral("Make Money"), bsSkinPanel4);
  btnMakeMoney->setObjectName(QStringLiteral("btnMakeMoney"));
  btnAbout = new QPushButton(QStringLiteral("About"), bsSkinPanel4);
  btnAbout->setObjectName(QStringLiteral("btnAbout"));
  for (QPushButton* button : {btnMakeMoney, btnAbout}) button->setFixedSize(125, 20);
  btnNews = PictureButton(bsSkinPanel4, "btnNews", QStringLiteral("Check News"), GlyphKind::News);
  ui::ConnectHandler(btnNews, &QToolButton::clicked, this, &TfrmMain::btnNewsClick);
  bsSkinSpeedButton1 = PictureButton(bsSkinPanel4, "bsSkinSpeedButton1",
                                     QStringLiteral("Check Updates"), GlyphKind::Update);
  bsSkinSpeedButton2 =
      PictureButton(bsSkinPanel4, "bsSkinSpeedButton2", QStringLiteral("Help"), GlyphKind::Help);

  auto* bar = new QHBoxLayout(bsSkinPanel4);
  bar->setContentsMargins(10, 0, 6, 0);
  bar->setSpacing(2);
  bar->addWidget(btnMakeMoney);
  bar->addSpacing(6);
  bar->addWidget(btnAbout);
  bar->addStretch();
  bar->addWidget(btnNews);
  bar->addWidget(bsSkinSpeedButton1);
  bar->addWidget(bsSkinSpeedButton2);
  ui::ConnectHandler(bsSkinSpeedButton1, &QToolButton::clicked, this, &TfrmMain::btnUpdateClick);
}

void TfrmMain::CreateOfferControls() {
  if (offerControlsMade_) return;
  offerControlsMade_ = true;
  CreateOfferPanel();
  CreateOfferSummary();
}

void TfrmMain::FormCreate() {
  gifBanner->setGeometry(imgBanner->geometry());
  // A brand that fails part-way is reported; what it applied stays, and the
  // window is made ready all the same.
  ui::Guarded([this] { ApplyBrandSettings(); });
  if (brand::BrandProfile.WelcomePage.empty()) Timer1->start();
}

void TfrmMain::FormShow() {
  // The welcome page, the heaviest page of the window, is made only when the
  // brand has one to show; the main page is then page 1. Its text is laid
  // out once the window has first been drawn (see paintEvent).
  if (!brand::BrandProfile.WelcomePage.empty()) {
    CreateWelcomePage();
  } else {
    CreateOfferControls();  // the main page comes first
  }
  pgcPrinc->setCurrentIndex(0);
  FormResize();
}

void TfrmMain::FillWelcomePage() {
  prfWelcome->setHtml(ui::FromCp1252(brand::BrandProfile.WelcomePage));
}

void TfrmMain::FormResize() {
  for (ui::PictureView* banner : {imgBanner, gifBanner}) {
    banner->move(panBanner->width() / 2 - banner->width() / 2,
                 panBanner->height() / 2 - banner->height() / 2);
  }
}

void TfrmMain::FormClose() {
  // A request under way ends at once, and nothing of it shows afterwards.
  news::Cancel();
  update::Cancel();
  QCoreApplication::processEvents();
  // A try's server stops with the window, and its copy goes.
  trial_.reset();
}

void TfrmMain::bsSkinButton1Click() {
  CreateOfferControls();
  pgcPrinc->setCurrentWidget(stsMain);
  if (!brand::BrandProfile.WelcomePage.empty()) Timer1->start();
}

void TfrmMain::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (shown_) return;
  shown_ = true;
  FormShow();
}

void TfrmMain::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  if (painted_) return;
  painted_ = true;
  // Laying the welcome text out, with the fonts it asks for, is the dearest
  // step of the window's start; it comes straight after the first frame,
  // which shows the window dressed and on its welcome page, the page's text
  // filling in next. The offer panel behind it follows.
  if (stsWelcome) {
    QMetaObject::invokeMethod(this, &TfrmMain::FillWelcomePage, Qt::QueuedConnection);
    QMetaObject::invokeMethod(this, &TfrmMain::CreateOfferControls, Qt::QueuedConnection);
  }
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
}

void TfrmMain::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  // Enter presses the button that has the focus, as Space does; a plain
  // window, unlike a dialog, leaves that to the button, which ignores it.
  QWidget* focus = QApplication::focusWidget();
  auto* button = qobject_cast<QPushButton*>(focus) ? qobject_cast<QAbstractButton*>(focus)
                                                   : qobject_cast<QToolButton*>(focus);
  if (enter && button && button->window() == this && button->isEnabled()) {
    button->click();
    return;
  }
  // Enter that no control took presses the page's default button, as it
  // would in a dialog: a plain window has no such rule of its own.
  if (enter && stsWelcome && pgcPrinc->currentWidget() == stsWelcome &&
      bsSkinButton1->isEnabled()) {
    bsSkinButton1->click();
    return;
  }
  QWidget::keyPressEvent(event);
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
  // The banner strip follows the window's width through the layout, so the
  // window's resizing is seen here, once the strip has its new size.
  if (watched == panBanner && event->type() == QEvent::Resize) FormResize();
  return QWidget::eventFilter(watched, event);
}

}  // namespace shell
