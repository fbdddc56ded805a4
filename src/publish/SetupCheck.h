#pragma once

#include <string>
#include <vector>

#include "publish/Destination.h"

namespace publish {

// What the package's set-up page said after a publication.
struct SetupVerdict {
  enum class Kind {
    Ready,       // every check passed
    Problems,    // some did not: `problems` says which
    KeyRefused,  // the page opened but did not take the key (an older stconfig1.php?)
    NotPackage,  // the address answered with something else
  };
  Kind kind = Kind::NotPackage;
  std::vector<std::string> problems;  // "what: text" per failed check
  std::string summary;                // the verdict in plain words
};

// The set-up page's address for the sales page at `pageUrl` (the page's own address, or its
// folder's ending in '/') and the key. Throws PublishError for an address that is not http(s).
std::string SetupPageUrl(const std::string& pageUrl, const std::string& setupKey);

// Reads the set-up page's answer.
SetupVerdict ReadSetupPage(const std::string& html);

// Opens the set-up page over the network (the process's HTTP client, bounded) and reads it; a
// request that fails gives a PublishError. Without a key the page is opened bare, which only
// tells that the package answers.
SetupVerdict CheckSetup(const std::string& pageUrl, const std::string& setupKey);

}  // namespace publish
