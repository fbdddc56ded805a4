#pragma once

#include <string>

namespace brand {

// The id of the news item the user opened last, kept in the brand file in
// `folder`: empty when there is no brand file or no such entry.
std::string LoadLastNewsId(const std::string& folder);

// Stores `id` in the brand file in `folder`, replacing the first entry
// written in the program's letter case, or adding one on a new last line.
// Nothing happens without a brand file, and a brand file that does not
// decrypt (another password, damage) is left as it is. The file is replaced
// only by a complete new one. File errors throw UUtils::AppError. An `id`
// that is no news id (UUtils::IsNewsId) throws std::invalid_argument before
// the file is touched.
void SaveLastNewsId(const std::string& folder, const std::string& id);

}  // namespace brand
