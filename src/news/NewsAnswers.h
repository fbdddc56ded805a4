#pragma once

#include <string>
#include <string_view>

#include "util/SplitString.h"

namespace news {

// The byte between items of a list answer, and the one before its final "OK".
inline constexpr char kItemSeparator = '\xAF';

enum class Operation { List, Last, Details };

// The answer without the characters of code 32 or less at either end.
std::string TrimAnswer(std::string_view body);

// A trimmed answer is a success when it holds "OK" anywhere.
bool IsSuccess(std::string_view trimmed);

// The warning that a failed (trimmed) answer gives for an operation, empty
// when the user is told nothing.
std::string FailureMessage(std::string_view trimmed, Operation operation);

// A successful list answer's raw entries ("id^title^published"), appended in
// order; entries whose id is no news id (UUtils::IsNewsId) are left out.
void ParseList(std::string_view trimmed, UUtils::StringList& entries);

// A successful newest answer's id and title; both empty for just "OK" and for
// an entry whose id is no news id.
void ParseLast(std::string_view trimmed, std::string& lastId, std::string& title);

// A successful details answer's HTML text, decoded.
std::string ParseDetails(std::string_view trimmed);

}  // namespace news
