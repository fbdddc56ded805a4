#pragma once

#include <string>
#include <vector>

#include "publish/Destination.h"

namespace publish {

// One file a publication sends: where it is here, its name in the remote folder, the mode it
// gets there (where the protocol can set one), and whether a copy the host already has wins.
struct PackageFile {
  std::string localPath;
  std::string name;
  int mode = 0644;
  // The package's starting figures (the sales file, the visitors file): where the host has one it
  // holds the offer's state there, and it stays.
  bool keepRemote = false;
};

// What goes to the host for the sales page `page`: the generated package beside it (the
// settings, the shipped files, the database files when the package has a database) and, last, the
// page. Nothing else of the page's folder, and never the live data the package makes on the host.
// The database settings are readable by their owner and the web server's group only. Throws
// PublishError when the folder holds no generated package or a file is missing.
std::vector<PackageFile> PackageFiles(const std::string& page);

// The name a file is sent under before it takes its place.
std::string TemporaryName(const std::string& name);

}  // namespace publish
