#pragma once

#include <string>

namespace publish {

// How the seller logs in: a password (for SFTP and FTP), or for SFTP a private key file, and the
// SSH agent when neither is given. The password is wiped when the object goes.
class Credentials {
 public:
  Credentials() = default;
  ~Credentials();
  Credentials(const Credentials& other) = default;
  Credentials& operator=(const Credentials& other) = default;

  std::string password;
  std::string identityFile;
};

}  // namespace publish
