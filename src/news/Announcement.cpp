#include "news/Announcement.h"

#include <charconv>

namespace news {

std::int32_t NewsIdNumber(std::string_view id) {
  // from_chars takes a minus but no plus.
  if (!id.empty() && id.front() == '+') {
    id.remove_prefix(1);
    if (!id.empty() && id.front() == '-') return 0;
  }
  std::int32_t number = 0;
  const auto [end, error] = std::from_chars(id.data(), id.data() + id.size(), number);
  if (error != std::errc() || end != id.data() + id.size()) return 0;
  return number;
}

std::optional<std::string> Announcement(std::string_view newestId, std::string_view storedId,
                                        std::string_view title) {
  if (NewsIdNumber(newestId) <= NewsIdNumber(storedId)) return std::nullopt;
  return "You've Got A Message!\r\n" + std::string(title);
}

}  // namespace news
