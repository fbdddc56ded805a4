#include "publish/PackageFiles.h"

#include <filesystem>

#include "generator/DatabaseFile.h"
#include "generator/GenerateScript.h"
#include "generator/PackageContract.h"
#include "generator/ShippedFiles.h"
#include "publish/Destination.h"

namespace publish {

namespace {

constexpr char kTemporaryPrefix[] = ".tolvan-part.";

std::string FileNameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

bool IsDataFile(const std::string& name) {
  for (const char* data : generator::kDataFiles) {
    if (name == data) return true;
  }
  return false;
}

}  // namespace

std::string TemporaryName(const std::string& name) {
  // The name keeps its ending, so that a web server asked for a half-sent PHP file runs it
  // rather than showing its text.
  return kTemporaryPrefix + name;
}

std::vector<PackageFile> PackageFiles(const std::string& page) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(page, error)) {
    throw PublishError("The sales page " + page + " is not there.");
  }
  const std::string folder = generator::TargetFolderOf(page);
  auto local = [&folder](const std::string& name) { return folder + name; };
  if (!std::filesystem::is_regular_file(local(generator::kConfigFile), error)) {
    throw PublishError("There is no script package beside " + page +
                       ": generate it first (Generate Script, or tolvan generate).");
  }
  std::vector<PackageFile> files{{local(generator::kConfigFile), generator::kConfigFile}};
  const bool database = std::filesystem::is_regular_file(local(generator::kDatabaseFile), error);
  if (database) files.push_back({local(generator::kDatabaseFile), generator::kDatabaseFile, 0640});
  auto add = [&](const char* shipped) {
    const std::string name = FileNameOf(shipped);
    files.push_back({local(name), name, 0644, IsDataFile(name)});
  };
  for (const char* shipped : generator::kShippedFiles) add(shipped);
  if (database) {
    for (const char* shipped : generator::kDatabaseFiles) add(shipped);
  }
  for (const PackageFile& file : files) {
    if (!std::filesystem::is_regular_file(file.localPath, error)) {
      throw PublishError("The script package beside " + page + " lacks " + file.name +
                         ": generate it again.");
    }
  }
  files.push_back({page, FileNameOf(page), 0644});
  // A name goes into the host's commands whole: a control character would end one.
  for (char c : files.back().name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
      throw PublishError("The sales page's name holds a control character; rename the page.");
    }
  }
  return files;
}

}  // namespace publish
