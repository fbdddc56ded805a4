#pragma once

#include <string>

namespace update {

enum class Download {
  Stored,       // the whole answer is in the file
  Failed,       // no connection, an error status, a write error: no file is left
  Interrupted,  // aborted (the main window closed), or not started because a
                // request was running: the caller says nothing more
};

// Fetches `url` into `fileName` with the one HTTP client. An earlier file of
// that name is deleted first, so that a failure leaves none. The body goes to
// a temporary file beside it that takes the name only when complete, so the
// file is never partial. Throws "Cannot create file ..." when the folder takes
// no file.
Download DownloadToFile(const std::string& url, const std::string& fileName);

}  // namespace update
