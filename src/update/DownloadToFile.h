#pragma once

#include <cstddef>
#include <string>

#include "net/HttpClient.h"

namespace update {

enum class Download {
  Stored,       // the whole answer is in the file
  Failed,       // no connection, an error status, no answer in time, an answer
                // beyond the limit, a write error: no file is left
  Interrupted,  // aborted (the main window closed), ended for a user's request,
                // or not started because a request was running: the caller
                // says nothing more
};

// Fetches `url` into `fileName` with the one HTTP client, taking at most
// `maxBytes`. An earlier file of that name is deleted first, so that a
// failure leaves none. The body goes to a temporary file beside it that takes
// the name only when complete, so the file is never partial. Throws "Cannot
// create file ..." when the folder takes no file.
Download DownloadToFile(const std::string& url, const std::string& fileName, std::size_t maxBytes,
                        net::Priority priority = net::Priority::User);

}  // namespace update
