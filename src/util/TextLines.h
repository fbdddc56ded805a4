#pragma once

#include <string>
#include <string_view>

#include "util/ReplacementFile.h"
#include "util/SplitString.h"

namespace UUtils {

// Text-line rules shared by every text file of the program: a line ends at
// CR LF, a lone CR or a lone LF; a break at the very end starts no further
// line; a NUL byte ends the text. Written lines each carry CR LF, the last too.
StringList SplitLines(std::string_view text);
std::string JoinLines(const StringList& lines);

// Whole-file reads and writes. Reading throws "Cannot open file ..."; writing
// throws "Cannot create file ..." and goes through ReplacementFile, so the
// target keeps its owner, group and mode and is not left half written.
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, std::string_view bytes,
                    ReplacementFile::Readers readers = ReplacementFile::Readers::AsBefore);

StringList ReadLines(const std::string& path);
void WriteLines(const std::string& path, const StringList& lines,
                ReplacementFile::Readers readers = ReplacementFile::Readers::AsBefore);

}  // namespace UUtils
