#pragma once

#include <cstddef>
#include <string>

#include "util/SplitString.h"

namespace news {

// The constant every caller passes as the news target.
inline constexpr char kNewsTarget[] = "UA";

// The largest answer taken from the news service; a longer one counts as a
// failed exchange.
inline constexpr std::size_t kMaxAnswerBytes = 4 * 1024 * 1024;

// Where the news is asked for and as whom: every request goes to a script
// under `baseUrl` and carries the other three.
struct Service {
  std::string baseUrl;
  std::string publisherId;  // field "memusername"
  std::string productCode;  // field "prodcode"
  std::string tierCode;     // field "prodtype"
};

// How a news request ended.
struct Outcome {
  bool ok = false;
  // The warning to show the user; empty when nothing is to be shown.
  std::string warning;
  // The request was aborted (the main window closed) or refused (another
  // request was running): the caller shows nothing more either.
  bool interrupted = false;
};

// Every item of the product: appends its raw entries to `entries` on success,
// also none.
Outcome GetNewsList(const Service& service, std::string newsTarget, UUtils::StringList& entries);

// The newest item's id and title. Never has a warning. A request of the
// program's own: a user's request started meanwhile ends it (interrupted).
Outcome GetLastNews(const Service& service, std::string newsTarget, std::string& lastId,
                    std::string& title);

// One item's HTML text.
Outcome GetNewsDetails(const Service& service, std::string newsTarget, std::string newsId,
                       std::string& details);

// Ends the news request under way at once: it comes back interrupted and shows nothing. Does
// nothing when no news request runs.
void Cancel();

// The address of a news script under a base URL: "/" is put between them
// unless the base ends in one.
std::string RequestUrl(const std::string& baseUrl, const char* script);

}  // namespace news
