#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

// Writes `bytes` as the whole of `path`, making its folders first.
void WriteFile(const std::filesystem::path& path, const std::string& bytes);

// The lines of a text file, none when it does not exist.
std::vector<std::string> FileLines(const std::filesystem::path& path);

}  // namespace testsupport
