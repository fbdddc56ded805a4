#pragma once

#include <string>

#include "util/Launch.h"

namespace update {

// The publisher's live-update folder built into the program, with its
// trailing slash (the CMake cache variable UpdateBaseURL).
extern const char UpdateBaseURL[];

// The descriptor's name in the update folder and, downloaded, in the
// descriptor folder; the updater's name in the program's folder.
inline constexpr char kDescriptorFile[] = "mainappupdate.inf";
inline constexpr char kUpdaterFile[] = "Updater";

// What the publisher's descriptor says about this program.
struct Lookup {
  enum Result {
    Newer,        // `version` is the descriptor's Version text as written
    None,         // the descriptor names no higher version, or none usable
    Unreachable,  // the descriptor could not be had (no connection, an error
                  // status, no answer in time, more than a descriptor holds)
    Interrupted,  // the download was aborted, ended for a user's request, or
                  // did not start
  } result = None;
  std::string version;
};

// Where the downloaded descriptor is kept: "hurrex-tolvan/" in the user's
// cache folder ($XDG_CACHE_HOME, else ~/.cache), made when missing. Never the
// program's folder, which an installed program may not write.
std::string DescriptorFolder();

// Who a check is for: the user, who asked for it and waits, or the program,
// which checks by itself in the background.
enum class Asker { User, Program };

// Downloads `baseUrl` + the descriptor into `folder` (ending in '/') and
// compares its version with the program's. The copy stays in `folder`. A
// check the program makes by itself gives way to a request of the user's:
// that ends it (Interrupted).
Lookup LookForUpdate(const std::string& baseUrl, const std::string& folder,
                     Asker asker = Asker::User);

// Whether a check the user asks for now would not start (Interrupted) because
// another request the user waits for is under way.
bool Busy();

// Ends the check under way at once: it comes back Interrupted. Does nothing
// when no check runs.
void Cancel();

// How the updater in `folder` is started: with the update folder's address,
// the installed version and "A".
UUtils::LaunchRequest UpdaterLaunch(const std::string& baseUrl, const std::string& folder);

}  // namespace update
