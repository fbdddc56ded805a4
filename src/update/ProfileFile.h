#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace update {

// The largest profile text read: a descriptor names a version and a name,
// and anything longer is no descriptor.
inline constexpr std::size_t kMaxProfileBytes = 64 * 1024;

// One value of an INI text, found as the Windows profile functions find it:
// section and key names match without regard to letter case, the first
// matching section and in it the first matching key win, names and values
// lose their surrounding blanks and a value its enclosing quotes. `fallback`
// when there is no such key, or the text is longer than kMaxProfileBytes.
std::string ProfileString(std::string_view text, std::string_view section, std::string_view key,
                          const std::string& fallback);

// The same for an INI file; a file that cannot be read, or one longer than
// kMaxProfileBytes, gives `fallback` (and is not read beyond that).
std::string ReadProfileString(const std::string& file, std::string_view section,
                              std::string_view key, const std::string& fallback);

}  // namespace update
