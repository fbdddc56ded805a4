#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "generator/ShippedFiles.h"
#include "testsupport/ShippedStandIns.h"
#include "testsupport/TempFolder.h"
#include "util/TextLines.h"

// A temporary program folder holding the shipped files (each file's content
// names it) and an empty site folder for the sales page.
class PackageFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    app = root / "app";
    site = root / "site";
    std::filesystem::create_directories(site);
    testsupport::WriteShippedStandIns(app);
  }

  static std::string ShippedContent(const std::string& file) {
    return testsupport::ShippedStandIn(file);
  }
  static void Write(const std::filesystem::path& path, const std::string& bytes) {
    UUtils::WriteFileBytes(path.string(), bytes);
  }
  static std::string Read(const std::filesystem::path& path) {
    return UUtils::ReadFileBytes(path.string());
  }
  // Every file below `folder` with its bytes.
  static std::map<std::string, std::string> Snapshot(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
      files[entry.path().lexically_relative(folder).string()] =
          entry.is_regular_file() ? Read(entry.path()) : "<folder>";
    }
    return files;
  }
  std::string AppFolder() const { return app.string() + "/"; }

  testsupport::TempFolder folder;
  const std::filesystem::path root = folder.Root();
  std::filesystem::path app, site;
};
