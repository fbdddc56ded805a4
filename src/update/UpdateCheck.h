#pragma once

#include <string>

#include "util/Launch.h"

namespace update {

// The publisher's live-update folder built into the program, with its
// trailing slash (the CMake cache variable UpdateBaseURL).
extern const char UpdateBaseURL[];

// The descriptor's name in the update folder and, downloaded, in the
// program's folder; the updater's name in the program's folder.
inline constexpr char kDescriptorFile[] = "mainappupdate.inf";
inline constexpr char kUpdaterFile[] = "Updater";

// What the publisher's descriptor says about this program.
struct Lookup {
  enum Result {
    Newer,        // `version` is the descriptor's Version text as written
    None,         // no higher version, or no usable descriptor
    Interrupted,  // the download was aborted or did not start
  } result = None;
  std::string version;
};

// Downloads `baseUrl` + the descriptor into `folder` (ending in '/') and
// compares its version with the program's. The copy stays in `folder`.
Lookup LookForUpdate(const std::string& baseUrl, const std::string& folder);

// How the updater in `folder` is started: with the update folder's address,
// the installed version and "A".
UUtils::LaunchRequest UpdaterLaunch(const std::string& baseUrl, const std::string& folder);

}  // namespace update
