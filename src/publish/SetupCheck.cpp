#include "publish/SetupCheck.h"

#include "generator/SetupKey.h"
#include "net/HttpClient.h"
#include "publish/Destination.h"

namespace publish {

namespace {

// The set-up page is small; an answer beyond this is something else.
constexpr std::size_t kMaxPage = 1 << 20;

std::string Unescaped(std::string text) {
  static const std::pair<const char*, const char*> kEntities[] = {
      {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#039;", "'"}, {"&amp;", "&"}};
  for (const auto& [entity, plain] : kEntities) {
    for (auto at = text.find(entity); at != std::string::npos;
         at = text.find(entity, at + std::string_view(plain).size())) {
      text.replace(at, std::string_view(entity).size(), plain);
    }
  }
  return text;
}

// The text between `open` and `close` from `from` on; moves `from` past it.
std::string Between(const std::string& html, const std::string& open, const std::string& close,
                    std::size_t& from) {
  const auto start = html.find(open, from);
  if (start == std::string::npos) return "";
  const auto end = html.find(close, start + open.size());
  if (end == std::string::npos) return "";
  from = end + close.size();
  return html.substr(start + open.size(), end - start - open.size());
}

}  // namespace

std::string SetupPageUrl(const std::string& pageUrl, const std::string& setupKey) {
  const auto scheme = pageUrl.find("://");
  const std::string name = scheme == std::string::npos ? "" : pageUrl.substr(0, scheme);
  if (name != "http" && name != "https") {
    throw PublishError("\"" + pageUrl +
                       "\" is not a web address: give the sales page's address, "
                       "http://... or https://...");
  }
  std::string folder = pageUrl.substr(0, pageUrl.find_first_of("?#"));
  const auto pathStart = folder.find('/', scheme + 3);
  if (pathStart == std::string::npos) {
    folder += '/';
  } else {
    folder.erase(folder.rfind('/') + 1);
  }
  return folder + (setupKey.empty() ? "stchmod.php" : generator::SetupAddress(setupKey));
}

SetupVerdict ReadSetupPage(const std::string& html) {
  SetupVerdict verdict;
  if (html.find("<title>Offer package set-up</title>") != std::string::npos) {
    std::size_t from = 0;
    for (;;) {
      const std::string row = Between(html, "<tr class=\"problem\">", "</tr>", from);
      if (row.empty()) break;
      std::size_t at = 0;
      const std::string what = Between(row, "<th>", "</th>", at);
      Between(row, "<td>", "</td>", at);
      const std::string text = Between(row, "<td>", "</td>", at);
      verdict.problems.push_back(Unescaped(what) + ": " + Unescaped(text));
    }
    if (verdict.problems.empty()) {
      verdict.kind = SetupVerdict::Kind::Ready;
      verdict.summary = "The set-up page checked the package on the host: everything is in order.";
    } else {
      verdict.kind = SetupVerdict::Kind::Problems;
      verdict.summary = "The set-up page found " + std::to_string(verdict.problems.size()) +
                        (verdict.problems.size() == 1 ? " problem" : " problems") + " on the host:";
      for (const std::string& problem : verdict.problems) verdict.summary += "\n  " + problem;
    }
  } else if (html.find("The offer package is installed here.") != std::string::npos) {
    verdict.kind = SetupVerdict::Kind::KeyRefused;
    verdict.summary =
        "The package answers on the host, but its set-up page did not take the key, so the "
        "host's files were not checked.";
  } else {
    verdict.kind = SetupVerdict::Kind::NotPackage;
    verdict.summary =
        "The site's address did not lead to the package's set-up page: check the address of "
        "the sales page.";
  }
  return verdict;
}

SetupVerdict CheckSetup(const std::string& pageUrl, const std::string& setupKey) {
  const std::string url = SetupPageUrl(pageUrl, setupKey);
  std::string body;
  try {
    net::HttpClient::Instance().Get(
        url,
        [&body](std::string_view chunk) {
          body.append(chunk);
          return true;
        },
        kMaxPage);
  } catch (const net::HttpError& e) {
    throw PublishError("The set-up page could not be opened at " + SetupPageUrl(pageUrl, "") +
                       ": " + e.what());
  }
  SetupVerdict verdict = ReadSetupPage(body);
  if (setupKey.empty() && verdict.kind == SetupVerdict::Kind::KeyRefused) {
    verdict.summary =
        "The package answers on the host. Open its set-up page with the key "
        "from the generation to check the host's files.";
  }
  return verdict;
}

}  // namespace publish
