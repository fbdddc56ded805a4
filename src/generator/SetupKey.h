#pragma once

#include <string>

namespace generator {

// The key that opens the package's set-up pages (stchmod.php?key=..., phpenabler.php?key=...):
// 32 random hex digits, drawn for every generation and shown to the seller once. Without it the
// pages say only that the package is installed.
std::string NewSetupKey();

// What stconfig1.php keeps of the key: its SHA-1 digest in hex, which the pages compare the
// digest of the key they are given with.
std::string SetupKeyHash(const std::string& key);

// The set-up page's address relative to the sales page's folder, key included.
std::string SetupAddress(const std::string& key);

}  // namespace generator
