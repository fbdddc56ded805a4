#include "preview/BarMarkup.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

#include "generator/ConfigFile.h"
#include "generator/PackageContract.h"
#include "generator/ScriptValues.h"
#include "preview/BarTemplate.h"

namespace preview {

using generator::OfferSettings;
using generator::WholeNumber;

namespace {

// The package pulls an expiry beyond these into them; only an unbounded time
// zone takes the tool's own expiry so far.
constexpr std::int64_t kExpiryBound = generator::kOfferExpire.most;
static_assert(-kExpiryBound == generator::kOfferExpire.least);

using Values = std::vector<std::pair<std::string_view, std::string>>;

// `part` with each key of `values` replaced by its value in one pass from the
// left, as PHP's strtr() does: a value put in is never searched again. No key
// is the beginning of another.
std::string Fill(std::string_view part, const Values& values) {
  std::string filled;
  filled.reserve(part.size());
  for (std::size_t at = 0; at < part.size();) {
    const auto key = std::find_if(values.begin(), values.end(), [&](const auto& value) {
      return part.substr(at, value.first.size()) == value.first;
    });
    if (key == values.end()) {
      filled += part[at++];
    } else {
      filled += key->second;
      at += key->first.size();
    }
  }
  return filled;
}

// A figure of the bar: empty without its limit, 0 once the offer is over.
std::string Figure(bool open, const std::optional<std::int64_t>& figure) {
  if (!open) return "0";
  return figure ? std::to_string(*figure) : std::string();
}

// `text` as a script string, as the package's json_encode() writes the
// folders it makes (printable ASCII): with <, >, &, ' and " as \u escapes.
std::string ScriptString(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    switch (c) {
      case '<':
        quoted += "\\u003C";
        break;
      case '>':
        quoted += "\\u003E";
        break;
      case '&':
        quoted += "\\u0026";
        break;
      case '\'':
        quoted += "\\u0027";
        break;
      case '"':
        quoted += "\\u0022";
        break;
      case '\\':
        quoted += "\\\\";
        break;
      default:
        quoted += c;
    }
  }
  return quoted + '"';
}

Values CountdownValues(const OfferSettings& s, const VisitorOffer& offer,
                       const std::optional<std::string>& urlFolder) {
  std::string seconds =
      offer.open && offer.secondsLeft ? std::to_string(*offer.secondsLeft) : "null";
  if (!urlFolder) {
    return {{"{{seconds}}", std::move(seconds)},
            {"{{refresh}}", "0"},
            {"{{url}}", "\"\""},
            {"{{ended}}", "put(\"hurrex-timeleft\",0),put(\"hurrex-copiesleft\",0)"}};
  }
  const std::int64_t refresh =
      offer.open && WholeNumber(s.maxNumSales) > 0
          ? std::min(60000 * WholeNumber(s.counterRefresh), generator::kLongestTimerMs)
          : 0;
  return {{"{{seconds}}", std::move(seconds)},
          {"{{refresh}}", std::to_string(refresh)},
          {"{{url}}", ScriptString(*urlFolder + generator::kFiguresAddress)},
          {"{{ended}}", "location.reload()"}};
}

}  // namespace

VisitorOffer FirstView(const OfferSettings& s, std::int64_t now) {
  VisitorOffer offer;
  const std::int64_t maxSales = WholeNumber(s.maxNumSales);
  if (maxSales > 0) offer.copiesLeft = maxSales;
  std::optional<std::int64_t> deadline;
  if (s.expiryDate) {
    const std::int64_t expire =
        std::clamp(generator::ExpiryTimestamp(s.expiryDateValue, WholeNumber(s.timeZone)),
                   -kExpiryBound, kExpiryBound);
    // The package reads an expiry of 0 as none.
    if (expire != 0) deadline = expire + generator::kExpiryOffsetSeconds;
  }
  if (s.oneTimeOffer) {
    const std::int64_t own = now + 60 * WholeNumber(s.timeOut);
    deadline = deadline ? std::min(*deadline, own) : own;
  }
  if (deadline) offer.secondsLeft = std::max<std::int64_t>(0, *deadline - now);
  offer.open = offer.copiesLeft != 0 && offer.secondsLeft != 0;
  return offer;
}

BarMarkup RenderBar(const OfferSettings& s, const VisitorOffer& offer,
                    const std::optional<std::string>& urlFolder) {
  std::optional<std::int64_t> minutes;
  if (offer.secondsLeft) minutes = (*offer.secondsLeft + 59) / 60;
  const std::string text = Fill(
      s.hurrexText,
      {{"%%timeleft%%", Fill(kTemplateTimeleft, {{"{{minutes}}", Figure(offer.open, minutes)}})},
       {"%%copiesleft%%",
        Fill(kTemplateCopiesleft, {{"{{copies}}", Figure(offer.open, offer.copiesLeft)}})}});
  const std::int64_t width = WholeNumber(s.barWidth);
  const std::string height = std::to_string(WholeNumber(s.barHeight));
  const std::string bar = Fill(
      kTemplateBar, {{"{{edge}}", s.onTop ? "top" : "bottom"},
                     {"{{width}}", width > 0 ? std::to_string(width) + "px" : std::string("100%")},
                     {"{{height}}", height},
                     {"{{padding}}", std::to_string(generator::kBarPadding)},
                     {"{{border}}", std::to_string(WholeNumber(s.barBorder))},
                     {"{{color}}", generator::ColorToHtml(s.barColor)},
                     {"{{font}}", generator::kBarFont},
                     {"{{text}}", text},
                     {"{{fontend}}", "</font>"}});
  const std::string room = Fill(kTemplateRoom, {{"{{height}}", height}});
  const std::string script = Fill(kTemplateScript, CountdownValues(s, offer, urlFolder));
  if (s.onTop) return {bar + room + script, ""};
  return {bar + script, room};
}

}  // namespace preview
