#pragma once

#include <string>

namespace brand {

// The id of the news item the user opened last, for the program in `folder`:
// the one kept for the user when there is one, else the one in the brand
// file. Empty when there is no brand file or no id.
std::string LoadLastNewsId(const std::string& folder);

// Stores `id` for the program in `folder`. Nothing happens without a brand
// file. Where the user may write the brand file and its folder, the id goes
// into the brand file, replacing the first entry written in the program's
// letter case or adding one on a new last line; a brand file that does not
// decrypt (another password, damage) is left as it is, and the file is
// replaced only by a complete new one. Elsewhere (an installed, read-only
// program folder) the id is kept for the user, in UserNewsIdFile(). File
// errors throw UUtils::AppError. An `id` that is no news id
// (UUtils::IsNewsId) throws std::invalid_argument before anything is touched.
void SaveLastNewsId(const std::string& folder, const std::string& id);

// The user's record of last news ids, one line per program folder:
// "$XDG_CONFIG_HOME/hurrex-tolvan/last-news-ids".
std::string UserNewsIdFile();

}  // namespace brand
