#pragma once

#include <string>
#include <string_view>

#include "publish/Destination.h"

namespace publish {

// A host's SSH key as the server presents it: the key's blob in the SSH wire format, whose first
// field names its type.
struct HostKey {
  std::string host;
  int port = 22;
  std::string blob;
};

// "SHA256:" and the unpadded base64 of the blob's SHA-256 digest, as ssh shows it.
std::string Fingerprint(std::string_view blob);
// The blob's type name ("ssh-ed25519"); empty when the blob does not start with one.
std::string KeyType(std::string_view blob);
// The line known_hosts keeps for the key: "host type base64", the host as "[host]:port" on a
// port other than 22.
std::string KnownHostsLine(const HostKey& key);
// Adds the key's line to the known_hosts file at `path`, made (with its folder, for the user
// alone) when missing; every line already there is kept. Throws PublishError.
void RecordHostKey(const std::string& path, const HostKey& key);

// ~/.ssh/known_hosts of the user running the program.
std::string UserKnownHostsFile();

}  // namespace publish
