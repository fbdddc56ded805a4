#pragma once

#include <optional>
#include <string>

namespace publish {

// Where the window keeps a host's password when the seller asks for it: the desktop's keyring.
// Never a settings file.
class Keyring {
 public:
  virtual ~Keyring() = default;
  // The password kept for `account`; nothing when there is none or the keyring cannot be asked.
  virtual std::optional<std::string> Read(const std::string& account) = 0;
  // Whether it was kept.
  virtual bool Write(const std::string& account, const std::string& password) = 0;
  virtual void Forget(const std::string& account) = 0;
};

// The desktop's keyring, unless a test has put its own in its place (nullptr: the desktop's).
Keyring& TheKeyring();
void UseKeyring(Keyring* keyring);

}  // namespace publish
