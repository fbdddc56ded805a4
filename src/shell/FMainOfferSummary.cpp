// The offer in plain words under the offer settings panel, following every change of the panel.
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "generator/OfferSummary.h"
#include "shell/FMain.h"
#include "ui/Application.h"
#include "ui/DateField.h"
#include "ui/SpinEdit.h"

namespace shell {

namespace {

QString Escaped(const std::string& text) { return QString::fromStdString(text).toHtmlEscaped(); }

// The summary fills its strip, whose height is fixed: what its text would
// need is never asked, since laying rich text out for every width the
// window's layout tries is the dearest part of laying the window out.
class StripLabel : public QLabel {
 public:
  using QLabel::QLabel;
  QSize sizeHint() const override { return {}; }
  QSize minimumSizeHint() const override { return {}; }
  bool hasHeightForWidth() const override { return false; }
};

}  // namespace

void TfrmMain::CreateOfferSummary() {
  lblOfferSummary = new StripLabel(panSummary);
  lblOfferSummary->setObjectName(QStringLiteral("lblOfferSummary"));
  lblOfferSummary->setTextFormat(Qt::RichText);
  lblOfferSummary->setWordWrap(true);
  lblOfferSummary->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  auto* strip = new QVBoxLayout(panSummary);
  strip->setContentsMargins(14, 0, 14, 4);
  strip->addWidget(lblOfferSummary);

  for (ui::SpinEdit* spin : {edtMaxNumSales, edtTimeZone, edtTimeOut}) {
    ui::ConnectHandler(spin, &ui::SpinEdit::ValueChanged, this, &TfrmMain::UpdateOfferSummary);
  }
  for (QRadioButton* offer : {rbtLimitNumber, rbtExpiryDate, rbtOneTimeOffer}) {
    ui::ConnectHandler(offer, &QRadioButton::toggled, this, &TfrmMain::UpdateOfferSummary);
  }
  // The date field takes its value from its editor's text before this runs.
  for (QLineEdit* text : {edtExpiryDate->Editor(), edtHurrexText, edtRedirectPage}) {
    ui::ConnectHandler(text, &QLineEdit::textChanged, this, &TfrmMain::UpdateOfferSummary);
  }
  UpdateOfferSummary();
}

void TfrmMain::UpdateOfferSummary() {
  const auto summary =
      generator::SummarizeOffer(GatherOfferSettings(), QDateTime::currentSecsSinceEpoch());
  QStringList lines;
  for (const auto& line : summary.lines) lines << Escaped(line);
  for (const auto& warning : summary.warnings) {
    lines << QStringLiteral("<span style='color:#b00000'>%1</span>").arg(Escaped(warning));
  }
  if (!setupAddress_.empty()) {
    // The key is shown only here: the package keeps no more than its digest.
    lines << QStringLiteral("After uploading, open <b>%1</b> in the sales page's folder to set "
                            "the package up.")
                 .arg(Escaped(setupAddress_));
  }
  lblOfferSummary->setText(lines.join(QStringLiteral("<br>")));
}

}  // namespace shell
