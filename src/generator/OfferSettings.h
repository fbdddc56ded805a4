#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "generator/DateTime.h"
#include "generator/PackageContract.h"

namespace generator {

// Everything the package generator reads from the offer settings panel, with
// the panel's designed defaults: the package's own where it has one, and the
// panel's refresh time and text. Spin fields hold whole numbers as doubles;
// the generator truncates them toward zero when it writes them.
struct OfferSettings {
  std::string page;  // path of the sales page
  // Offer type: one-time offer, expiry date, or neither (limit the number of sales).
  bool oneTimeOffer = false;
  bool expiryDate = false;
  double timeOut = kTimeOut.fallback;           // minutes
  double expiryDateValue = LocalDateTimeNow();  // days since 1899-12-30, local time
  double timeZone = 0;                          // hours, may be negative
  double maxNumSales = kMaxSales.fallback;
  double counterRefresh = 5;  // minutes
  std::string redirectPage;   // next page after a sale
  std::string hurrexText = "Your offer will expire in %%timeleft%% minutes";
  bool onTop = kPopupTop.fallback == 1;  // bar position: top of the page, else bottom
  double barHeight = kPopupHeight.fallback;
  double barWidth = kPopupWidth.fallback;
  double barBorder = kPopupBorder.fallback;
  std::uint32_t barColor = 0x00FFFF;  // red in the lowest byte: Yellow
};

// The inclusive range of a spin field. An unbounded field takes any whole number. The package
// keeps the same ranges, but a bar is at least a pixel wide here.
struct SpinRange {
  double min;
  double max;
  bool bounded;
};

constexpr SpinRange RangeOf(const ConfigNumber& number) {
  return {double(number.least), double(number.most), true};
}

inline constexpr SpinRange kMaxNumSalesRange = RangeOf(kMaxSales);
inline constexpr SpinRange kCounterRefreshRange = RangeOf(kRefreshTime);
inline constexpr SpinRange kTimeOutRange = RangeOf(kTimeOut);
inline constexpr SpinRange kTimeZoneRange{0, 0, false};
inline constexpr SpinRange kBarWidthRange{1, double(kPopupWidth.most), true};
inline constexpr SpinRange kBarHeightRange = RangeOf(kPopupHeight);
inline constexpr SpinRange kBarBorderRange = RangeOf(kPopupBorder);

// The colours offered for the bar, in the order the drop-down lists them.
// Values have red in the lowest byte, then green, then blue.
struct NamedColor {
  const char* name;
  std::uint32_t value;
};

inline constexpr std::array<NamedColor, 16> kBarColors{{
    {"Black", 0x000000},
    {"Maroon", 0x000080},
    {"Green", 0x008000},
    {"Olive", 0x008080},
    {"Navy", 0x800000},
    {"Purple", 0x800080},
    {"Teal", 0x808000},
    {"Gray", 0x808080},
    {"Silver", 0xC0C0C0},
    {"Red", 0x0000FF},
    {"Lime", 0x00FF00},
    {"Yellow", 0x00FFFF},
    {"Blue", 0xFF0000},
    {"Fuchsia", 0xFF00FF},
    {"Aqua", 0xFFFF00},
    {"White", 0xFFFFFF},
}};

}  // namespace generator
