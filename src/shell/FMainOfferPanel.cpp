// The offer settings panel of the main page.
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "generator/OfferSettings.h"
#include "shell/FMain.h"
#include "ui/Application.h"
#include "ui/ColorComboBox.h"
#include "ui/DateField.h"
#include "ui/FileDialog.h"
#include "ui/GroupBox.h"
#include "ui/SpinEdit.h"

namespace shell {

using namespace generator;

namespace {

constexpr int kFieldHeight = 21;
constexpr int kButtonHeight = 25;
constexpr int kRadioHeight = 17;

ui::GroupBox* GroupBox(QWidget* parent, const char* name, const char* caption, QRect geometry) {
  auto* box = new ui::GroupBox(QString::fromUtf8(caption), parent);
  box->setObjectName(QLatin1String(name));
  box->setGeometry(geometry);
  return box;
}

void Label(ui::GroupBox* box, const char* text, int left, int top, bool small = false) {
  box->AddCaption(QString::fromUtf8(text), QPoint(left, top), small);
}

template <typename Control>
Control* Place(Control* control, const char* name, int left, int top, int width, int height) {
  control->setObjectName(QLatin1String(name));
  control->setGeometry(left, top, width, height);
  return control;
}

ui::SpinEdit* Spin(ui::GroupBox* box, const char* name, int left, int top, int width,
                   const SpinRange& range, double value) {
  auto* spin = Place(new ui::SpinEdit(box), name, left, top, width, kFieldHeight);
  if (range.bounded) spin->SetRange(range.min, range.max);
  spin->SetValue(value);
  return spin;
}

QRadioButton* Radio(ui::GroupBox* box, const char* name, const char* caption, int left, int top,
                    int width) {
  return Place(new QRadioButton(QString::fromUtf8(caption), box), name, left, top, width,
               kRadioHeight);
}

}  // namespace

void TfrmMain::CreateOfferPanel() {
  const OfferSettings defaults;

  bsSkinGroupBox2 = GroupBox(bsSkinPanel1, "bsSkinGroupBox2", "General", {11, 9, 376, 138});
  Label(bsSkinGroupBox2,
        "Page to insert the script (All the required scripts will be saved in same folder):", 11,
        27, true);
  Label(bsSkinGroupBox2, "Max Number of Sales:", 11, 78);
  Label(bsSkinGroupBox2, "Sales Counter Refresh:", 11, 107);
  Label(bsSkinGroupBox2, "minutes", 209, 107);
  edtPage = Place(new QLineEdit(bsSkinGroupBox2), "edtPage", 10, 49, 282, kFieldHeight);
  btnBrowse = Place(new QPushButton(QStringLiteral("Browse"), bsSkinGroupBox2), "btnBrowse", 298,
                    45, 69, kButtonHeight);
  edtMaxNumSales =
      Spin(bsSkinGroupBox2, "edtMaxNumSales", 127, 75, 59, kMaxNumSalesRange, defaults.maxNumSales);
  edtCounterRefresh = Spin(bsSkinGroupBox2, "edtCounterRefresh", 127, 104, 69, kCounterRefreshRange,
                           defaults.counterRefresh);

  bsSkinGroupBox1 = GroupBox(bsSkinPanel1, "bsSkinGroupBox1", "Offer Type", {12, 153, 376, 153});
  Label(bsSkinGroupBox1, "Expiry date:", 38, 74);
  Label(bsSkinGroupBox1, "Time Zone:", 228, 74);
  Label(bsSkinGroupBox1, "Time Out:", 38, 123);
  Label(bsSkinGroupBox1, "minutes", 147, 123);
  rbtLimitNumber =
      Radio(bsSkinGroupBox1, "rbtLimitNumber",
            " Only limit number of sales (you must insert the token %%copiesleft%%)", 10, 27, 357);
  rbtExpiryDate = Radio(bsSkinGroupBox1, "rbtExpiryDate", " With expiry date", 10, 51, 149);
  edtExpiryDate =
      Place(new ui::DateField(bsSkinGroupBox1), "edtExpiryDate", 101, 71, 120, kFieldHeight);
  edtExpiryDate->SetValue(defaults.expiryDateValue);
  edtTimeZone =
      Spin(bsSkinGroupBox1, "edtTimeZone", 288, 70, 59, kTimeZoneRange, defaults.timeZone);
  rbtOneTimeOffer = Radio(bsSkinGroupBox1, "rbtOneTimeOffer",
                          " One Time Offer(you must insert the token %%timeleft%%):", 10, 97, 346);
  edtTimeOut = Spin(bsSkinGroupBox1, "edtTimeOut", 91, 119, 49, kTimeOutRange, defaults.timeOut);
  rbtLimitNumber->setChecked(true);
  SetOfferFieldsEnabled(false, false);
  // A handler runs when its button becomes selected, never when it is cleared.
  ui::ConnectHandler(rbtLimitNumber, &QRadioButton::toggled, this,
                     [this](bool on) { on ? rbtLimitNumberClick() : void(); });
  ui::ConnectHandler(rbtExpiryDate, &QRadioButton::toggled, this,
                     [this](bool on) { on ? rbtExpiryDateClick() : void(); });
  ui::ConnectHandler(rbtOneTimeOffer, &QRadioButton::toggled, this,
                     [this](bool on) { on ? rbtOneTimeOfferClick() : void(); });

  bsSkinGroupBox3 = GroupBox(bsSkinPanel1, "bsSkinGroupBox3", "Hurrex Bar", {398, 9, 356, 211});
  Label(bsSkinGroupBox3, "Hurrex bar text (you must insert the token %%timeleft%%):", 11, 28);
  Label(bsSkinGroupBox3, "Show hurrex bar ", 11, 79);
  Label(bsSkinGroupBox3, "Motivation bar color:", 179, 79);
  Label(bsSkinGroupBox3, "Bar Width:", 12, 153);
  Label(bsSkinGroupBox3, "Bar Height:", 12, 181);
  Label(bsSkinGroupBox3, "Bar Border:", 180, 153);
  edtHurrexText = Place(new QLineEdit(QString::fromStdString(defaults.hurrexText), bsSkinGroupBox3),
                        "edtHurrexText", 10, 46, 337, kFieldHeight);
  rbtOnTop = Radio(bsSkinGroupBox3, "rbtOnTop", "On top of the page", 18, 96, 130);
  rbtOnBottom = Radio(bsSkinGroupBox3, "rbtOnBottom", "On bottom of the page", 18, 119, 170);
  rbtOnTop->setChecked(defaults.onTop);
  rbtOnBottom->setChecked(!defaults.onTop);
  cbxBarColor = Place(new ui::ColorComboBox(bsSkinGroupBox3), "cbxBarColor", 179, 100, 98, 22);
  for (const auto& color : kBarColors) cbxBarColor->AddColor(color.name, color.value);
  cbxBarColor->SelectColor(defaults.barColor);
  edtBarWidth =
      Spin(bsSkinGroupBox3, "edtBarWidth", 74, 149, 59, kBarWidthRange, defaults.barWidth);
  edtBarHeight =
      Spin(bsSkinGroupBox3, "edtBarHeight", 74, 177, 59, kBarHeightRange, defaults.barHeight);
  edtBarBorder =
      Spin(bsSkinGroupBox3, "edtBarBorder", 242, 149, 59, kBarBorderRange, defaults.barBorder);

  bsSkinGroupBox4 = GroupBox(bsSkinPanel1, "bsSkinGroupBox4", "Next Page", {398, 228, 356, 77});
  Label(bsSkinGroupBox4, "Next page to redirect. Example: nextpage.php:", 11, 28);
  edtRedirectPage =
      Place(new QLineEdit(bsSkinGroupBox4), "edtRedirectPage", 10, 46, 338, kFieldHeight);

  btnGenerateScript = Place(new QPushButton(QStringLiteral("Generate Script"), bsSkinPanel1),
                            "btnGenerateScript", 12, 313, 113, kButtonHeight);
  // Beyond the designed panel: the bar shown in the browser before anything is generated.
  btnPreview = Place(new QPushButton(QStringLiteral("Preview"), bsSkinPanel1), "btnPreview", 131,
                     313, 113, kButtonHeight);
  btnTryHere = Place(new QPushButton(QStringLiteral("Try it here"), bsSkinPanel1), "btnTryHere",
                     250, 313, 113, kButtonHeight);
  ui::ConnectHandler(btnBrowse, &QPushButton::clicked, this, &TfrmMain::btnBrowseClick);
  ui::ConnectHandler(btnGenerateScript, &QPushButton::clicked, this,
                     &TfrmMain::btnGenerateScriptClick);
  ui::ConnectHandler(btnPreview, &QPushButton::clicked, this, &TfrmMain::btnPreviewClick);
  btnPublish = Place(new QPushButton(QStringLiteral("Publish"), bsSkinPanel1), "btnPublish", 369,
                     313, 113, kButtonHeight);
  ui::ConnectHandler(btnTryHere, &QPushButton::clicked, this, &TfrmMain::btnTryHereClick);
  ui::ConnectHandler(btnPublish, &QPushButton::clicked, this, &TfrmMain::btnPublishClick);

  // Tab order: the group boxes in turn, each in its own order.
  const QList<QWidget*> order = {
      edtPage,       edtCounterRefresh, edtMaxNumSales,  btnBrowse,         rbtLimitNumber,
      rbtExpiryDate, edtExpiryDate,     rbtOneTimeOffer, edtTimeOut,        edtTimeZone,
      edtHurrexText, rbtOnTop,          rbtOnBottom,     cbxBarColor,       edtBarWidth,
      edtBarHeight,  edtBarBorder,      edtRedirectPage, btnGenerateScript, btnPreview,
      btnTryHere,    btnPublish};
  for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void TfrmMain::SetOfferFieldsEnabled(bool expiry, bool timeOut) {
  edtExpiryDate->setEnabled(expiry);
  edtTimeZone->setEnabled(expiry);
  edtTimeOut->setEnabled(timeOut);
}

void TfrmMain::rbtLimitNumberClick() { SetOfferFieldsEnabled(false, false); }

void TfrmMain::rbtExpiryDateClick() { SetOfferFieldsEnabled(true, false); }

void TfrmMain::rbtOneTimeOfferClick() { SetOfferFieldsEnabled(false, true); }

void TfrmMain::btnBrowseClick() {
  const auto chosen = ui::FileDialog::OpenExistingFile(
      this, QStringLiteral("Open file"), QStringLiteral("All files"), QStringLiteral("*"));
  if (chosen) edtPage->setText(*chosen);
}

}  // namespace shell
