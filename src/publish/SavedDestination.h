#pragma once

#include <optional>
#include <string>

namespace publish {

// Where a sales page was last published, kept per page in the user's settings. Never a password:
// only whether one is kept in the keyring.
struct SavedDestination {
  std::string address;  // as AddressOf writes it
  std::string identityFile;
  std::string caFile;
  std::string siteUrl;
  bool passwordInKeyring = false;
};

// The settings file, in the user's configuration folder.
std::string PublishSettingsFile();

std::optional<SavedDestination> LoadDestination(const std::string& page);
void SaveDestination(const std::string& page, const SavedDestination& saved);

// The keyring's name for a destination's password.
std::string KeyringAccount(const std::string& address);

}  // namespace publish
