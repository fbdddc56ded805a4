#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace news {

// A news id as the start-up check compares it: a 32-bit signed integer
// written in decimal, with an optional sign; any other text counts as 0.
std::int32_t NewsIdNumber(std::string_view id);

// The balloon's text when the newest item is newer than the one the user
// opened last: "You've Got A Message!", a line break and the newest title.
std::optional<std::string> Announcement(std::string_view newestId, std::string_view storedId,
                                        std::string_view title);

}  // namespace news
