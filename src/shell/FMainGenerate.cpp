// Generating the script package from the offer settings panel.
#include <QLineEdit>
#include <QRadioButton>

#include "generator/GenerateScript.h"
#include "generator/SetupKey.h"
#include "shell/FMain.h"
#include "ui/ColorComboBox.h"
#include "ui/DateField.h"
#include "ui/SpinEdit.h"

namespace shell {

generator::OfferSettings TfrmMain::GatherOfferSettings() const {
  generator::OfferSettings settings;
  settings.page = edtPage->text().toStdString();
  settings.oneTimeOffer = rbtOneTimeOffer->isChecked();
  settings.expiryDate = rbtExpiryDate->isChecked();
  settings.timeOut = edtTimeOut->Value();
  settings.expiryDateValue = edtExpiryDate->Value();
  settings.timeZone = edtTimeZone->Value();
  settings.maxNumSales = edtMaxNumSales->Value();
  settings.counterRefresh = edtCounterRefresh->Value();
  settings.redirectPage = edtRedirectPage->text().toStdString();
  settings.hurrexText = edtHurrexText->text().toStdString();
  settings.onTop = rbtOnTop->isChecked();
  settings.barHeight = edtBarHeight->Value();
  settings.barWidth = edtBarWidth->Value();
  settings.barBorder = edtBarBorder->Value();
  settings.barColor = cbxBarColor->ColorValue();
  return settings;
}

void TfrmMain::GenerateScript() {
  const generator::OfferSettings settings = GatherOfferSettings();
  const auto outcome = generator::GenerateScript(settings, appFolder_);
  if (outcome.status == generator::GenerateOutcome::Status::Generated) {
    setupAddress_ = generator::SetupAddress(outcome.setupKey);
    setupKey_ = outcome.setupKey;
    setupKeyPage_ = settings.page;
    UpdateOfferSummary();
  }
  // A package that lacks a shipped file is no package: that is an error, not news.
  const bool incomplete = outcome.status == generator::GenerateOutcome::Status::Incomplete;
  msgMain.Show(QString::fromStdString(outcome.message),
               incomplete ? ui::MessageKind::Error : ui::MessageKind::Information);
}

void TfrmMain::btnGenerateScriptClick() { GenerateScript(); }

}  // namespace shell
