#include "update/UpdateCheck.h"

#include <QDir>
#include <QStandardPaths>

#include "net/HttpClient.h"
#include "net/RequestGroup.h"
#include "update/DownloadToFile.h"
#include "update/ProfileFile.h"
#include "update/Version.h"
#include "util/AppVersion.h"

namespace update {

const char UpdateBaseURL[] = UPDATE_BASE_URL;

namespace {

net::RequestGroup checks;

Download Fetch(const std::string& url, const std::string& fileName, net::Priority priority) {
  const net::RequestGroup::Member checking(checks);
  return DownloadToFile(url, fileName, kMaxProfileBytes, priority);
}

}  // namespace

std::string DescriptorFolder() {
  const QString folder =
      QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + "/hurrex-tolvan";
  // A folder that cannot be made shows when the descriptor cannot be created.
  QDir().mkpath(folder);
  return QDir::cleanPath(folder).toStdString() + "/";
}

Lookup LookForUpdate(const std::string& baseUrl, const std::string& folder, Asker asker) {
  const std::string descriptor = folder + kDescriptorFile;
  const net::Priority priority =
      asker == Asker::Program ? net::Priority::Background : net::Priority::User;
  switch (Fetch(baseUrl + kDescriptorFile, descriptor, priority)) {
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

bool Busy() { return net::HttpClient::Instance().Refuses(net::Priority::User); }

void Cancel() {
  checks.Cancel();
}

UUtils::LaunchRequest UpdaterLaunch(const std::string& baseUrl, const std::string& folder) {
  return {folder + kUpdaterFile, {baseUrl, UUtils::AppVersion, "A"}};
}

}  // namespace update
