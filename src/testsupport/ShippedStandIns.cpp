#include "testsupport/ShippedStandIns.h"

#include "generator/ShippedFiles.h"
#include "util/TextLines.h"

namespace testsupport {

namespace {

void WriteStandIn(const std::filesystem::path& appFolder, const std::string& file) {
  std::filesystem::create_directories((appFolder / file).parent_path());
  UUtils::WriteFileBytes((appFolder / file).string(), ShippedStandIn(file));
}

}  // namespace

std::string ShippedStandIn(const std::string& file) { return "shipped " + file + "\n\x01\xff"; }

void WriteShippedStandIns(const std::filesystem::path& appFolder) {
  for (const char* file : generator::kShippedFiles) WriteStandIn(appFolder, file);
  for (const char* file : generator::kDatabaseFiles) WriteStandIn(appFolder, file);
}

}  // namespace testsupport
