#include "generator/ConfigFile.h"

#include <string>

#include "generator/ScriptValues.h"

namespace generator {

namespace {

std::string Number(double value) { return std::to_string(WholeNumber(value)); }

std::string Flag(bool value) { return value ? "1" : "0"; }

std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  quoted += PhpStringBody(text);
  quoted += '"';
  return quoted;
}

}  // namespace

UUtils::StringList ConfigLines(const OfferSettings& s, std::uint32_t cookieSuffix,
                               const std::string& setupKeyHash) {
  const std::string offerExpire =
      s.expiryDate ? std::to_string(ExpiryTimestamp(s.expiryDateValue, WholeNumber(s.timeZone)))
                   : "0";
  return {
      "<?php",
      "$useoto = " + Flag(s.oneTimeOffer) + ";",
      "$timeout = " + Number(s.timeOut) + ";",
      "$checkip = 0;",
      "$offerexpire = " + offerExpire + ";",
      "$maxsales = " + Number(s.maxNumSales) + ";",
      "$refreshtime = " + Number(s.counterRefresh) + ";",
      "$page2 = " + Quoted(s.redirectPage) + ";",
      "$popuptext = " + Quoted(s.hurrexText) + ";",
      "$popuptop = " + Flag(s.onTop) + ";",
      "$popupheight = " + Number(s.barHeight) + ";",
      "$popupwidth = " + Number(s.barWidth) + ";",
      "$popupbgcolor = \"" + ColorToHtml(s.barColor) + "\";",
      "$popupborder = " + Number(s.barBorder) + ";",
      "$cookiename = \"hurrex" + std::to_string(cookieSuffix) + "\";",
      "$salesfile = \"stnumsales.txt\";",
      "$ipshuntname = \"stiptrack.txt\";",
      "$maxiplen = 5000;",
      "$popuppadding = " + std::to_string(kBarPadding) + ";",
      "$popupfont = " + Quoted(kBarFont) + ";",
      "$setupkey = " + Quoted(setupKeyHash) + ";",
      "?>",
  };
}

}  // namespace generator
