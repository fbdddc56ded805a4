#include "preview/PreviewPage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "generator/OfferSummary.h"
#include "preview/BarMarkup.h"
#include "util/PercentEncoding.h"

namespace preview {

namespace {

// A preview starts with these lines, which tell it from other pages.
constexpr char kOpening[] =
    "<!DOCTYPE html>\n"
    "<html lang=\"en\"><head><meta charset=\"utf-8\">\n"
    "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
    "<title>Preview of your offer bar</title>\n";

constexpr char kHeadRest[] =
    "<style>body{margin:0;font-family:sans-serif;color:#333;background:#fff}"
    "main{max-width:44em;margin:0 auto;padding:16px 24px}h1{font-size:1.5em}"
    ".warnings li{color:#b00000}.line{height:.8em;margin:1.1em 0;background:#e4e4e4}</style>\n"
    "</head>\n<body>";

constexpr char kIntro[] =
    "<h1>Your sales page</h1>\n"
    "<p>This sample page stands in for yours. The bar shows as your visitors will see it: at its "
    "place, in its size, colour and border, counting down for a visitor who arrives now, before "
    "any copy is sold.</p>\n";

// Widths of the grey lines that stand in for the page's text, in per cent.
constexpr int kLineWidths[] = {96, 88, 93, 61, 97, 90, 84, 45, 92, 95, 87, 70,
                               94, 89, 96, 52, 91, 86, 93, 66, 97, 90, 83, 40};

std::string Escaped(const std::string& text) {
  std::string html;
  for (const char c : text) {
    switch (c) {
      case '&':
        html += "&amp;";
        break;
      case '<':
        html += "&lt;";
        break;
      case '>':
        html += "&gt;";
        break;
      case '"':
        html += "&quot;";
        break;
      default:
        html += c;
    }
  }
  return html;
}

std::string List(const char* kind, const std::vector<std::string>& items) {
  if (items.empty()) return {};
  std::string list = std::string("<ul class=\"") + kind + "\">\n";
  for (const auto& item : items) list += "<li>" + Escaped(item) + "</li>\n";
  return list + "</ul>\n";
}

}  // namespace

std::string PreviewPage(const generator::OfferSettings& settings, std::int64_t now) {
  const VisitorOffer offer = FirstView(settings, now);
  const BarMarkup bar = RenderBar(settings, offer);
  const auto summary = generator::SummarizeOffer(settings, now);
  std::string page = kOpening + (kHeadRest + bar.head) + "<main id=\"sample\">\n" + kIntro;
  if (!offer.open && !settings.redirectPage.empty()) {
    page +=
        "<p id=\"sent-on\">The offer is over, so visitors never see this page: they are sent on "
        "to " +
        Escaped(settings.redirectPage) + ".</p>\n";
  }
  page += List("offer", summary.lines) + List("warnings", summary.warnings);
  for (const int width : kLineWidths) {
    page += "<div class=\"line\" style=\"width:" + std::to_string(width) + "%\"></div>\n";
  }
  return page + "<p id=\"end\">The end of the sample page.</p>\n</main>" + bar.tail +
         "</body></html>\n";
}

bool IsPreviewFile(const std::string& path) {
  // Never waits: a pipe or a device is no preview, and is not opened for reading.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return false;
  struct stat info {};
  std::string head(sizeof kOpening - 1, '\0');
  ssize_t got = -1;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) got = ::read(fd, head.data(), head.size());
  ::close(fd);
  return got == static_cast<ssize_t>(head.size()) && head == kOpening;
}

std::string FileUrl(const std::string& path) {
  return "file://" + UUtils::PercentEncoded(path, "/");
}

}  // namespace preview
