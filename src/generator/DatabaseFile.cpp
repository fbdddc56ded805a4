#include "generator/DatabaseFile.h"

#include <sys/random.h>

#include <filesystem>
#include <regex>

#include "generator/ScriptValues.h"
#include "util/AppError.h"
#include "util/TextLines.h"

namespace generator {

namespace {

constexpr char kKeyLinePrefix[] = "    'key' => \"";

std::string Entry(const char* name, const std::string& value) {
  return std::string("    '") + name + "' => \"" + PhpStringBody(value) + "\",";
}

}  // namespace

bool IsDatabaseKey(const std::string& key) {
  static const std::regex form("[A-Za-z0-9_.-]{1,64}");
  return std::regex_match(key, form);
}

UUtils::StringList DatabaseFileLines(const DatabaseSettings& settings) {
  return {
      "<?php",
      "// The database that keeps this offer's sales count, remembered visitors and secret,",
      "// shared by every web server of the site. It holds a password: the web server runs",
      "// this file and never sends it; keep it out of public copies of the site.",
      "if (get_included_files()[0] === __FILE__) {",
      "    http_response_code(404);",
      "    return [];",
      "}",
      "return [",
      Entry("dsn", settings.dsn),
      Entry("user", settings.user),
      Entry("password", settings.password),
      Entry("key", settings.key),
      "];",
  };
}

std::string KeyOfDatabaseFile(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return "";
  try {
    for (const auto& line : UUtils::ReadLines(path)) {
      if (line.rfind(kKeyLinePrefix, 0) != 0 || line.size() < sizeof kKeyLinePrefix + 1 ||
          line.compare(line.size() - 2, 2, "\",") != 0) {
        continue;
      }
      const std::string key =
          line.substr(sizeof kKeyLinePrefix - 1, line.size() - sizeof kKeyLinePrefix - 1);
      if (IsDatabaseKey(key)) return key;
    }
  } catch (const UUtils::AppError&) {
  }
  return "";
}

std::string NewDatabaseKey() {
  unsigned char random[6];
  if (::getrandom(random, sizeof random, 0) != sizeof random) {
    throw UUtils::AppError("Cannot draw a key for the offer's database.");
  }
  static const char kDigits[] = "0123456789abcdef";
  std::string key = "offer-";
  for (const unsigned char r : random) {
    key += kDigits[r >> 4];
    key += kDigits[r & 0xF];
  }
  return key;
}

}  // namespace generator
