#include "update/UpdateCheck.h"

#include <QDir>
#include <QStandardPaths>

#include "update/DownloadToFile.h"
#include "update/ProfileFile.h"
#include "update/Version.h"
#include "util/AppVersion.h"

namespace update {

const char UpdateBaseURL[] = UPDATE_BASE_URL;

std::string DescriptorFolder() {
  const QString folder =
      QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + "/hurrex-tolvan";
  // A folder that cannot be made shows when the descriptor cannot be created.
  QDir().mkpath(folder);
  return QDir::cleanPath(folder).toStdString() + "/";
}

Lookup LookForUpdate(const std::string& baseUrl, const std::string& folder, net::Priority priority) {
  const std::string descriptor = folder + kDescriptorFile;
  switch (DownloadToFile(baseUrl + kDescriptorFile, descriptor, kMaxProfileBytes, priority)) {
    case Download::Interrupted:
      return {Lookup::Interrupted, {}};
    case Download::Failed:
      return {Lookup::Unreachable, {}};
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
