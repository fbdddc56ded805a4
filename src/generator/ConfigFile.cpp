#include "generator/ConfigFile.h"

#include <string>

#include "generator/ScriptValues.h"

namespace generator {

namespace {

std::string Number(double value) { return std::to_string(WholeNumber(value)); }

std::string Flag(bool value) { return value ? "1" : "0"; }

std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  quoted += PhpStringBody(text);
  quoted += '"';
  return quoted;
}

// One line of the file: the setting `name` set to `value`, as PHP writes it.
template <class Setting>
std::string Line(const Setting& setting, const std::string& value) {
  return "$" + std::string(setting.name) + " = " + value + ";";
}

}  // namespace

UUtils::StringList ConfigLines(const OfferSettings& s, std::uint32_t cookieSuffix,
                               const std::string& setupKeyHash) {
  const std::string offerExpire =
      s.expiryDate ? std::to_string(ExpiryTimestamp(s.expiryDateValue, WholeNumber(s.timeZone)))
                   : "0";
  return {
      "<?php",
      Line(kUseOto, Flag(s.oneTimeOffer)),
      Line(kTimeOut, Number(s.timeOut)),
      Line(kCheckIp, std::to_string(kCheckIp.fallback)),
      Line(kOfferExpire, offerExpire),
      Line(kMaxSales, Number(s.maxNumSales)),
      Line(kRefreshTime, Number(s.counterRefresh)),
      Line(kPage2, Quoted(s.redirectPage)),
      Line(kPopupText, Quoted(s.hurrexText)),
      Line(kPopupTop, Flag(s.onTop)),
      Line(kPopupHeight, Number(s.barHeight)),
      Line(kPopupWidth, Number(s.barWidth)),
      Line(kPopupBgColor, Quoted(ColorToHtml(s.barColor))),
      Line(kPopupBorder, Number(s.barBorder)),
      Line(kCookieName, Quoted(std::string(kCookieName.fallback) + std::to_string(cookieSuffix))),
      Line(kSalesFile, Quoted(kSalesFile.fallback)),
      Line(kIpShuntName, Quoted(kIpShuntName.fallback)),
      Line(kMaxIpLen, std::to_string(kMaxIpLen.fallback)),
      Line(kPopupPadding, std::to_string(kPopupPadding.fallback)),
      Line(kPopupFont, Quoted(kBarFont)),
      "$setupkey = " + Quoted(setupKeyHash) + ";",
      "?>",
  };
}

}  // namespace generator
