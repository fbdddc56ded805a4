#include "testsupport/ShippedStandIns.h"

#include "generator/ShippedFiles.h"
#include "util/TextLines.h"

namespace testsupport {

std::string ShippedStandIn(const std::string& file) { return "shipped " + file + "\n\x01\xff"; }

void WriteShippedStandIns(const std::filesystem::path& appFolder) {
  for (const char* file : generator::kShippedFiles) {
    std::filesystem::create_directories((appFolder / file).parent_path());
    UUtils::WriteFileBytes((appFolder / file).string(), ShippedStandIn(file));
  }
}

}  // namespace testsupport
