#include "shell/FAbout.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>

#include "ui/Application.h"
#include "ui/Cp1252.h"
#include "util/AppVersion.h"

namespace shell {

namespace {

constexpr int kWidth = 368;
constexpr int kHeight = 211;
// The panel keeps these distances to the box's edges as the box grows.
constexpr QRect kPanel(8, 88, 348, 71);
constexpr int kScrollBarWidth = 19;

}  // namespace

TfrmAbout::TfrmAbout(const brand::TBrandProfile& brand, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName(QStringLiteral("frmAbout"));
  setAttribute(Qt::WA_StyledBackground);
  setFixedSize(kWidth, kHeight);

  lblProductName = new QLabel(this);
  lblProductName->setObjectName(QStringLiteral("lblProductName"));
  lblProductName->move(9, 7);
  // Its own look, whatever the skin says.
  lblProductName->setStyleSheet(
      QStringLiteral("font-family: sans-serif; font-size: 12pt; font-weight: bold;"));
  lblProductVersion = new QLabel(this);
  lblProductVersion->setObjectName(QStringLiteral("lblProductVersion"));
  lblProductVersion->move(9, 32);
  lblCopyright = new QLabel(this);
  lblCopyright->setObjectName(QStringLiteral("lblCopyright"));
  lblCopyright->move(9, 57);
  // Brand texts are shown as written, never read as markup.
  for (QLabel* label : {lblProductName, lblProductVersion, lblCopyright}) {
    label->setTextFormat(Qt::PlainText);
  }

  bsSkinPanel1 = new QWidget(this);
  bsSkinPanel1->setObjectName(QStringLiteral("bsSkinPanel1"));
  memAbout = new QPlainTextEdit(bsSkinPanel1);
  memAbout->setObjectName(QStringLiteral("memAbout"));
  memAbout->setReadOnly(true);
  // Read-only, yet the caret moves, so the keyboard reaches every line.
  memAbout->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
  memAbout->setFrameShape(QFrame::NoFrame);
  memAbout->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  memAbout->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  memAbout->setStyleSheet(
      QStringLiteral("font-family: Arial, 'Liberation Sans', sans-serif; color: black;"));
  bsSkinScrollBar1 = new QScrollBar(Qt::Vertical, bsSkinPanel1);
  bsSkinScrollBar1->setObjectName(QStringLiteral("bsSkinScrollBar1"));
  ConnectScrollBar();

  editAbout = new QPushButton(QStringLiteral("Ok"), this);
  editAbout->setObjectName(QStringLiteral("editAbout"));
  editAbout->setGeometry(129, 171, 87, 21);
  editAbout->setDefault(true);
  ui::ConnectHandler(editAbout, &QPushButton::clicked, this, &TfrmAbout::editAboutClick);
  PlaceControls();

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  FormCreate(brand);
}

void TfrmAbout::FormCreate(const brand::TBrandProfile& brand) {
  setWindowTitle("About " + ui::FromCp1252(brand.ApplicationName) + "...");
  lblProductName->setText(ui::FromCp1252(brand.ApplicationName));
  lblProductVersion->setText(QStringLiteral("Product Version: ") + UUtils::AppVersion);
  lblCopyright->setText("Copyright (c) " + ui::FromCp1252(brand.CopyrightYears) + " " +
                        ui::FromCp1252(brand.CopyrightCompany));
  for (QLabel* label : {lblProductName, lblProductVersion, lblCopyright}) label->adjustSize();
  // One memo line per line of the text, whatever ends it.
  QString text = ui::FromCp1252(brand.AboutText);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace('\r', '\n');
  memAbout->setPlainText(text);
}

void TfrmAbout::editAboutClick() { close(); }

void TfrmAbout::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  PlaceControls();
}

void TfrmAbout::PlaceControls() {
  bsSkinPanel1->setGeometry(kPanel.adjusted(0, 0, width() - kWidth, height() - kHeight));
  const int memoWidth = bsSkinPanel1->width() - kScrollBarWidth;
  memAbout->setGeometry(0, 0, memoWidth, bsSkinPanel1->height());
  bsSkinScrollBar1->setGeometry(memoWidth, 0, kScrollBarWidth, bsSkinPanel1->height());
  editAbout->move(129, height() - (kHeight - 171));
}

// The box's scroll bar stands in for the memo's own, hidden one.
void TfrmAbout::ConnectScrollBar() {
  QScrollBar* inner = memAbout->verticalScrollBar();
  connect(inner, &QScrollBar::rangeChanged, bsSkinScrollBar1, &QScrollBar::setRange);
  connect(inner, &QScrollBar::valueChanged, bsSkinScrollBar1, &QScrollBar::setValue);
  // The memo moves its own bar quietly when the caret takes it along.
  connect(memAbout, &QPlainTextEdit::updateRequest, bsSkinScrollBar1,
          [this, inner] { bsSkinScrollBar1->setValue(inner->value()); });
  connect(bsSkinScrollBar1, &QScrollBar::valueChanged, inner, &QScrollBar::setValue);
  bsSkinScrollBar1->setRange(inner->minimum(), inner->maximum());
}

}  // namespace shell
