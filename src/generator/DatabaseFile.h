#pragma once

#include <string>

#include "generator/PackageContract.h"
#include "util/SplitString.h"

namespace generator {

// The connection settings beside the package are kDatabaseFile: with this file
// the package keeps its sales count, remembered visitors and secret in a shared
// database, for a site served by several web servers.

struct DatabaseSettings {
  std::string dsn;  // a PDO data source, "mysql:host=...;dbname=..."
  std::string user;
  std::string password;
  // Names the offer in the database, so that several offers can share one.
  // Empty: the key of the folder's stdatabase.php, else a new one.
  std::string key;
};

// Whether `key` may name an offer: 1 to 64 letters, digits, '_', '-' or '.'.
bool IsDatabaseKey(const std::string& key);

// The lines of stdatabase.php: PHP that returns the settings to the package
// and answers a request for the file itself with "not found" and nothing else.
UUtils::StringList DatabaseFileLines(const DatabaseSettings& settings);

// The key that the stdatabase.php at `path` names; empty when there is no such
// file or it names no key.
std::string KeyOfDatabaseFile(const std::string& path);

// A key no other offer has: "offer-" and 12 random hex digits.
std::string NewDatabaseKey();

}  // namespace generator
