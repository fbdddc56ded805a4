#pragma once

#include <filesystem>

namespace trial {

// Copies the folder `from` into the new folder `to`: its folders and files, and what a link to a
// file names as a file of its own, so that nothing written into the copy reaches the original. A
// link to a folder stays a link; one into `from` leads to the same place in the copy. `skip`, the
// copy's own place when it lies within `from`, is left out, as are pipes, sockets and devices.
// Throws UUtils::AppError naming what could not be copied.
void CopySite(const std::filesystem::path& from, const std::filesystem::path& to,
              const std::filesystem::path& skip);

}  // namespace trial
