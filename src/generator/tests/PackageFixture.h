#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

#include "util/TextLines.h"

// A temporary program folder holding the shipped files (each file's content
// names it) and an empty site folder for the sales page.
class PackageFixture : public ::testing::Test {
 protected:
  static constexpr const char* kShipped[] = {
      "script/phpenabler.php", "script/stchmod.php",   "script/stiframe.php",
      "script/stiptrack.txt",  "script/stmain.php",    "script/stnumsales.txt",
      "script/stthanks.php",   "stthanksredirect.php",
  };

  void SetUp() override {
    char pattern[] = "/tmp/generator-XXXXXX";
    root = ::mkdtemp(pattern);
    app = root / "app";
    site = root / "site";
    std::filesystem::create_directories(app / "script");
    std::filesystem::create_directories(site);
    for (const char* file : kShipped) Write(app / file, ShippedContent(file));
  }
  void TearDown() override { std::filesystem::remove_all(root); }

  static std::string ShippedContent(const std::string& file) {
    return "shipped " + file + "\n\x01\xff";
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

  std::filesystem::path root, app, site;
};
