#include "publish/Destination.h"

#include <cctype>

#include "util/Ascii.h"
#include "util/PercentEncoding.h"

namespace publish {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = UUtils::LowerAscii(c);
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// `text` with its %XX written as the bytes; a control character after decoding is refused, since
// it would end a command to the server.
std::string Decoded(const std::string& text, const std::string& address) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '%') {
      const int high = i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
      const int low = i + 2 < text.size() ? HexValue(text[i + 2]) : -1;
      if (high < 0 || low < 0) throw PublishError("\"" + address + "\" has a broken %-escape.");
      c = char(high * 16 + low);
      i += 2;
    }
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
      throw PublishError("\"" + address + "\" holds a control character.");
    }
    out += c;
  }
  return out;
}

[[noreturn]] void Malformed(const std::string& address) {
  throw PublishError("\"" + address +
                     "\" is not a destination: write sftp://user@host[:port]/folder, "
                     "ftps://user@host[:port]/folder or ftp://user@host[:port]/folder.");
}

}  // namespace

const char* SchemeOf(Protocol protocol) {
  switch (protocol) {
    case Protocol::Sftp:
      return "sftp";
    case Protocol::Ftps:
      return "ftps";
    case Protocol::Ftp:
      return "ftp";
  }
  return "";
}

int PortOf(const Destination& destination) {
  if (destination.port) return destination.port;
  return destination.protocol == Protocol::Sftp ? 22 : 21;
}

Destination ParseDestination(const std::string& address) {
  Destination d;
  const auto schemeEnd = address.find("://");
  if (schemeEnd == std::string::npos) Malformed(address);
  const std::string scheme = address.substr(0, schemeEnd);
  if (scheme == "sftp") {
    d.protocol = Protocol::Sftp;
  } else if (scheme == "ftps") {
    d.protocol = Protocol::Ftps;
  } else if (scheme == "ftp") {
    d.protocol = Protocol::Ftp;
  } else {
    Malformed(address);
  }
  const std::string rest = address.substr(schemeEnd + 3);
  const auto slash = rest.find('/');
  const std::string authority = rest.substr(0, slash);
  const std::string path = slash == std::string::npos ? "" : rest.substr(slash);
  const auto at = authority.rfind('@');
  if (at == std::string::npos || at == 0) {
    throw PublishError("\"" + address + "\" names no user: write " + scheme +
                       "://user@host/folder.");
  }
  const std::string user = authority.substr(0, at);
  if (user.find(':') != std::string::npos) {
    throw PublishError("Leave the password out of the address \"" + scheme + "://" +
                       user.substr(0, user.find(':')) +
                       "@...\": it would be kept where others can read it. Give it when asked.");
  }
  d.user = Decoded(user, address);
  std::string hostPort = authority.substr(at + 1);
  std::string port;
  if (!hostPort.empty() && hostPort[0] == '[') {
    const auto close = hostPort.find(']');
    if (close == std::string::npos) Malformed(address);
    d.host = hostPort.substr(0, close + 1);
    if (close + 1 < hostPort.size()) {
      if (hostPort[close + 1] != ':') Malformed(address);
      port = hostPort.substr(close + 2);
    }
  } else {
    const auto colon = hostPort.find(':');
    d.host = hostPort.substr(0, colon);
    if (colon != std::string::npos) port = hostPort.substr(colon + 1);
  }
  for (char c : d.host) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '[' &&
        c != ']' && c != ':') {
      Malformed(address);
    }
  }
  if (d.host.empty()) Malformed(address);
  if (!port.empty()) {
    if (port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos) {
      Malformed(address);
    }
    d.port = std::stoi(port);
    if (d.port < 1 || d.port > 65535) Malformed(address);
  }
  std::string folder = Decoded(path, address);
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  if (folder.empty() || folder == "/") {
    throw PublishError("\"" + address + "\" names no folder: write " + scheme +
                       "://user@host/folder, the folder the sales page goes to.");
  }
  d.folder = folder;
  return d;
}

std::string AddressOf(const Destination& d) {
  std::string address =
      std::string(SchemeOf(d.protocol)) + "://" + UUtils::PercentEncoded(d.user) + "@" + d.host;
  if (d.port && d.port != (d.protocol == Protocol::Sftp ? 22 : 21)) {
    address += ":" + std::to_string(d.port);
  }
  return address + UUtils::PercentEncoded(d.folder, "/~!$&'()*+,;=:@");
}

}  // namespace publish
