#pragma once

#include <filesystem>
#include <string>

namespace testsupport {

// What the stand-in for a shipped file (a path of kShippedFiles or
// kDatabaseFiles) holds: its own path, and bytes that text handling would
// change.
std::string ShippedStandIn(const std::string& file);

// Writes a stand-in for every shipped file into a program folder.
void WriteShippedStandIns(const std::filesystem::path& appFolder);

}  // namespace testsupport
