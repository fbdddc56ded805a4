#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "publish/Credentials.h"
#include "publish/Destination.h"
#include "publish/HostKey.h"
#include "publish/PackageFiles.h"

namespace publish {

// How far a publication is: the file being sent (1-based of `files`) and the bytes of all files.
struct Progress {
  std::string file;
  std::size_t index = 0;
  std::size_t files = 0;
  std::uint64_t bytesSent = 0;
  std::uint64_t bytesTotal = 0;
};

// What a publication trusts and whom it asks.
struct Trust {
  // SFTP: the known hosts, ~/.ssh/known_hosts unless set. A key recorded there for the host must
  // match; an unknown key is put to `acceptNewHostKey` and recorded when it says yes.
  std::string knownHostsFile;
  std::function<bool(const HostKey& key)> acceptNewHostKey;
  // FTP over TLS: the certificates the host's must be signed by (a self-signed host's own
  // certificate); the system's when empty.
  std::string caFile;
};

struct PublishOutcome {
  std::vector<std::string> sent;  // in the order they took their places, the page last
  std::vector<std::string> kept;  // the host's own starting figures, left as they were
};

// Puts the package of the sales page `page` in the destination's folder (made when missing). Each
// file is sent under a temporary name; when all have arrived, they take their places, the page
// last, so that a visitor never meets a half file or a page whose package is not there yet. A
// failure or a cancel (the sink returning false) before that leaves the host's files as they were
// and removes the temporary files where the host still answers. Qt's events are processed while
// it runs. Throws PublishError (PublishCancelled when cancelled).
PublishOutcome Publish(const std::string& page, const Destination& destination,
                       const Credentials& credentials, const Trust& trust,
                       const std::function<bool(const Progress&)>& progress = {});

// A transfer fails when the connection is not made within the connect time-out, or when nothing
// moves for the idle time-out.
inline constexpr std::chrono::milliseconds kConnectTimeout{20000};
inline constexpr std::chrono::milliseconds kIdleTimeout{60000};

}  // namespace publish
