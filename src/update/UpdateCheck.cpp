#include "update/UpdateCheck.h"

#include "update/DownloadToFile.h"
#include "update/ProfileFile.h"
#include "update/Version.h"
#include "util/AppVersion.h"

namespace update {

const char UpdateBaseURL[] = UPDATE_BASE_URL;

Lookup LookForUpdate(const std::string& baseUrl, const std::string& folder) {
  const std::string descriptor = folder + kDescriptorFile;
  switch (DownloadToFile(baseUrl + kDescriptorFile, descriptor)) {
    case Download::Interrupted:
      return {Lookup::Interrupted, {}};
    case Download::Failed:
      return {Lookup::None, {}};
    case Download::Stored:
      break;
  }
  std::string version = ReadProfileString(descriptor, "APPLICATION", "Version", "");
  if (!IsNewer(version)) return {Lookup::None, {}};
  return {Lookup::Newer, std::move(version)};
}

UUtils::LaunchRequest UpdaterLaunch(const std::string& baseUrl, const std::string& folder) {
  return {folder + kUpdaterFile, {baseUrl, UUtils::AppVersion, "A"}};
}

}  // namespace update
