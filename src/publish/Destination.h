#pragma once

#include <stdexcept>
#include <string>

namespace publish {

// What went wrong with a publication, in words for the seller.
class PublishError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A publication the seller ended before it was complete.
class PublishCancelled : public PublishError {
 public:
  using PublishError::PublishError;
};

// SFTP over SSH; FTP with explicit TLS (AUTH TLS on the FTP port); plain FTP, which sends the
// password and the files unencrypted.
enum class Protocol { Sftp, Ftps, Ftp };

// Where a package goes: a folder on a host, reached as a user.
struct Destination {
  Protocol protocol = Protocol::Sftp;
  std::string host;
  int port = 0;  // 0: the protocol's own (22 or 21)
  std::string user;
  // As in the address: for SFTP a path from the root ("/~/" for the user's home), for FTP a path
  // from the folder the login starts in. Never empty; without a trailing '/'.
  std::string folder;
};

// The scheme's name in addresses: "sftp", "ftps", "ftp".
const char* SchemeOf(Protocol protocol);
int PortOf(const Destination& destination);

// Reads "sftp://user@host[:port]/remote/folder" (ftps:// and ftp:// too). A password in the
// address is refused: it would end up in a settings file or a command line. Throws PublishError.
Destination ParseDestination(const std::string& address);
// The address ParseDestination reads back, port shown when it is not the protocol's own.
std::string AddressOf(const Destination& destination);

}  // namespace publish
