#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "generator/DateTime.h"

namespace generator {

// Everything the package generator reads from the offer settings panel, with
// the panel's designed defaults. Spin fields hold whole numbers as doubles;
// the generator truncates them toward zero when it writes them.
struct OfferSettings {
  std::string page;  // path of the sales page
  // Offer type: one-time offer, expiry date, or neither (limit the number of sales).
  bool oneTimeOffer = false;
  bool expiryDate = false;
  double timeOut = 0;                           // minutes
  double expiryDateValue = LocalDateTimeNow();  // days since 1899-12-30, local time
  double timeZone = 0;                          // hours, may be negative
  double maxNumSales = 0;
  double counterRefresh = 5;  // minutes
  std::string redirectPage;   // next page after a sale
  std::string hurrexText = "Your offer will expire in %%timeleft%% minutes";
  bool onTop = true;  // bar position: top of the page, else bottom
  double barHeight = 28;
  double barWidth = 700;
  double barBorder = 0;
  std::uint32_t barColor = 0x00FFFF;  // red in the lowest byte: Yellow
};

// The inclusive range of a spin field. An unbounded field takes any whole number.
struct SpinRange {
  double min;
  double max;
  bool bounded;
};

inline constexpr SpinRange kMaxNumSalesRange{0, 10000000, true};
inline constexpr SpinRange kCounterRefreshRange{0, 10000000, true};
inline constexpr SpinRange kTimeOutRange{0, 10000000, true};
inline constexpr SpinRange kTimeZoneRange{0, 0, false};
inline constexpr SpinRange kBarWidthRange{1, 10000000, true};
inline constexpr SpinRange kBarHeightRange{0, 10000000, true};
inline constexpr SpinRange kBarBorderRange{0, 10000000, true};

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
