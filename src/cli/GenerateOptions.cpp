#include "cli/GenerateOptions.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "generator/PlaceZone.h"
#include "generator/ScriptValues.h"
#include "util/AppError.h"
#include "util/Ascii.h"

namespace cli {

using namespace generator;

namespace {

struct NumberOption {
  const char* name;
  double OfferSettings::*field;
  SpinRange range;
  const char* meaning;
};

const NumberOption kNumberOptions[] = {
    {"--max-sales", &OfferSettings::maxNumSales, kMaxNumSalesRange, "most sales"},
    {"--refresh", &OfferSettings::counterRefresh, kCounterRefreshRange, "counter refresh, minutes"},
    {"--timeout", &OfferSettings::timeOut, kTimeOutRange, "time-out per visitor, minutes"},
    {"--zone", &OfferSettings::timeZone, kTimeZoneRange, "Time Zone number, hours"},
    {"--width", &OfferSettings::barWidth, kBarWidthRange, "bar width"},
    {"--height", &OfferSettings::barHeight, kBarHeightRange, "bar height"},
    {"--border", &OfferSettings::barBorder, kBarBorderRange, "bar border"},
};

std::string FormatWhole(double value) { return std::to_string(static_cast<std::int64_t>(value)); }

std::string Bounds(const SpinRange& range) {
  return range.bounded ? FormatWhole(range.min) + " to " + FormatWhole(range.max) : "any";
}

std::string Accepts(const SpinRange& range) {
  return range.bounded ? "a whole number from " + Bounds(range) : "a whole number";
}

[[noreturn]] void Refuse(const std::string& option, const std::string& accepts,
                         const std::string& value) {
  throw UsageError(option + " accepts " + accepts + ", not '" + value + "'");
}

double ParseNumber(const NumberOption& option, const std::string& text) {
  std::int64_t value = 0;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  const bool whole = !text.empty() && result.ec == std::errc() && result.ptr == end;
  if (!whole || (option.range.bounded && (static_cast<double>(value) < option.range.min ||
                                          static_cast<double>(value) > option.range.max))) {
    Refuse(option.name, Accepts(option.range), text);
  }
  return static_cast<double>(value);
}

bool IsDigits(const std::string& text, std::size_t from, std::size_t count) {
  for (std::size_t i = from; i < from + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return true;
}

int Digits(const std::string& text, std::size_t from, std::size_t count) {
  return std::stoi(text.substr(from, count));
}

bool IsWholeNumber(const std::string& text) {
  std::int64_t value = 0;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  return !text.empty() && result.ptr == end;
}

// HH:MM, as minutes of the day.
int ParseEndTime(const std::string& text) {
  if (text.size() != 5 || !IsDigits(text, 0, 2) || text[2] != ':' || !IsDigits(text, 3, 2) ||
      Digits(text, 0, 2) > 23 || Digits(text, 3, 2) > 59) {
    Refuse("--end-time", "a time of day as HH:MM", text);
  }
  return Digits(text, 0, 2) * 60 + Digits(text, 3, 2);
}

double ParseExpiry(const std::string& text) {
  // YYYY-MM-DD or YYYY-MM-DDTHH:MM
  const bool dateShape = (text.size() == 10 || text.size() == 16) && IsDigits(text, 0, 4) &&
                         text[4] == '-' && IsDigits(text, 5, 2) && text[7] == '-' &&
                         IsDigits(text, 8, 2);
  const bool timeShape =
      text.size() == 10 || (text.size() == 16 && text[10] == 'T' && IsDigits(text, 11, 2) &&
                            text[13] == ':' && IsDigits(text, 14, 2));
  std::optional<double> value;
  if (dateShape && timeShape) {
    const bool hasTime = text.size() == 16;
    value = EncodeDateTime(Digits(text, 0, 4), Digits(text, 5, 2), Digits(text, 8, 2),
                           hasTime ? Digits(text, 11, 2) : 0, hasTime ? Digits(text, 14, 2) : 0);
  }
  if (!value) Refuse("--expiry", "a real day as YYYY-MM-DD or YYYY-MM-DDTHH:MM", text);
  return *value;
}

std::optional<unsigned> HexByte(const std::string& text, std::size_t from) {
  unsigned value = 0;
  const auto result = std::from_chars(text.data() + from, text.data() + from + 2, value, 16);
  if (result.ec != std::errc() || result.ptr != text.data() + from + 2) return {};
  return value;
}

std::uint32_t ParseColor(const std::string& text) {
  for (const auto& color : kBarColors) {
    if (UUtils::SameIgnoringAsciiCase(text, color.name)) return color.value;
  }
  if (text.size() == 7 && text[0] == '#') {
    const auto red = HexByte(text, 1), green = HexByte(text, 3), blue = HexByte(text, 5);
    if (red && green && blue) return *red | *green << 8 | *blue << 16;
  }
  std::string names;
  for (const auto& color : kBarColors) names += std::string(names.empty() ? "" : ", ") + color.name;
  Refuse("--color", "#RRGGBB or one of " + names, text);
}

bool IsUtf8(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t length;
    std::uint32_t code;
    if (c < 0x80) {
      length = 1, code = c;
    } else if ((c & 0xE0) == 0xC0) {
      length = 2, code = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      length = 3, code = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      length = 4, code = c & 0x07;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = code << 6 | (next & 0x3F);
    }
    const std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      return false;
    }
    i += length;
  }
  return true;
}

std::string ParseText(const std::string& option, const std::string& text) {
  if (!IsUtf8(text)) throw UsageError(option + " accepts UTF-8 text only");
  return text;
}

// The text of a database option: UTF-8 without control characters.
std::string ParseDatabaseText(const std::string& option, const std::string& text) {
  for (const char c : ParseText(option, text)) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      throw UsageError(option + " accepts no control characters");
    }
  }
  return text;
}

// Applies one database option; false when `name` is none.
bool ApplyDatabase(const std::string& name, const std::string& value, DatabaseSettings& d) {
  if (name == "--database") {
    d.dsn = ParseDatabaseText(name, value);
    if (d.dsn.rfind("mysql:", 0) != 0 || d.dsn.size() == 6) {
      Refuse(name, "a MySQL or MariaDB data source such as mysql:host=HOST;dbname=NAME", value);
    }
  } else if (name == "--database-user") {
    d.user = ParseDatabaseText(name, value);
  } else if (name == "--database-password") {
    // Never repeated in a message: it would land in terminals and logs.
    d.password = ParseDatabaseText(name, value);
  } else if (name == "--database-key") {
    if (!IsDatabaseKey(value)) Refuse(name, "1 to 64 letters, digits, '_', '-' or '.'", value);
    d.key = value;
  } else {
    return false;
  }
  return true;
}

// Applies one option; false when `name` is no option of this command.
bool Apply(const std::string& name, const std::string& value, OfferSettings& s) {
  for (const auto& option : kNumberOptions) {
    if (name == option.name) {
      s.*option.field = ParseNumber(option, value);
      return true;
    }
  }
  if (name == "--page") {
    s.page = value;
  } else if (name == "--offer") {
    if (value != "limit" && value != "expiry" && value != "oto") {
      Refuse(name, "limit, expiry or oto", value);
    }
    s.expiryDate = value == "expiry";
    s.oneTimeOffer = value == "oto";
  } else if (name == "--expiry") {
    s.expiryDateValue = ParseExpiry(value);
  } else if (name == "--text") {
    s.hurrexText = ParseText(name, value);
  } else if (name == "--next-page") {
    s.redirectPage = ParseText(name, value);
  } else if (name == "--position") {
    if (value != "top" && value != "bottom") Refuse(name, "top or bottom", value);
    s.onTop = value == "top";
  } else if (name == "--color") {
    s.barColor = ParseColor(value);
  } else {
    return false;
  }
  return true;
}

}  // namespace

GenerateRequest ParseGenerateOptions(const std::string& command,
                                     const std::vector<std::string>& args) {
  const std::string seeHelp = "; run 'tolvan " + command + " --help' for the options";
  const bool preview = command == "preview";
  GenerateRequest request;
  DatabaseSettings database;
  std::string databaseOption;  // the first database option given
  bool hasPage = false, hasOutput = false, offerGiven = false, expiryHasTime = false;
  std::string zone = "0", zonePlace;
  std::optional<int> endTime;            // minutes of the day
  std::vector<std::string> kindOptions;  // the options that only one kind of offer uses
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") return {true, {}, {}, {}};
    if (preview && arg == "--force") {
      request.force = true;
      continue;
    }
    if (arg.rfind("--", 0) != 0) {
      throw UsageError("unexpected argument '" + arg + "'; options are given as --name VALUE");
    }
    const auto equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    std::string value;
    if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      throw UsageError(name + " needs a value" + seeHelp);
    }
    if (name == "--expiry" || name == "--zone" || name == "--timeout" || name == "--end-time") {
      kindOptions.push_back(name);
    }
    if (preview && name == "--output") {
      request.output = value;
      hasOutput = true;
    } else if (name == "--zone" && !IsWholeNumber(value)) {
      if (!IsZonePlace(value)) {
        Refuse(name, "a whole number of hours or a place such as Europe/Berlin", value);
      }
      zonePlace = value;
    } else if (name == "--end-time") {
      endTime = ParseEndTime(value);
    } else if ((command == "generate" || preview) && ApplyDatabase(name, value, database)) {
      if (databaseOption.empty()) databaseOption = name;
      if (name == "--database") request.database = database;
    } else if (!Apply(name, value, request.settings)) {
      throw UsageError("unknown option '" + name + "'" + seeHelp);
    }
    hasPage = hasPage || name == "--page";
    offerGiven = offerGiven || name == "--offer";
    if (name == "--zone") zone = value;
    if (name == "--zone" && IsWholeNumber(value)) zonePlace.clear();
    if (name == "--expiry") expiryHasTime = value.size() > 10;
  }
  if (!preview && !hasPage) {
    throw UsageError("--page is required: the sales page to insert the script into");
  }
  if (preview && (!hasOutput || request.output.empty())) {
    throw UsageError("--output is required: the file to write the preview page to");
  }
  if (!databaseOption.empty() && !request.database) {
    throw UsageError(databaseOption + " needs --database, the data source of the database");
  }
  if (request.database) request.database = database;

  OfferSettings& s = request.settings;
  const std::string kind = std::string(s.expiryDate     ? "expiry"
                                       : s.oneTimeOffer ? "oto"
                                                        : "limit") +
                           (offerGiven ? "" : " (the default)");
  for (const auto& option : kindOptions) {
    const bool timeOut = option == "--timeout";
    if (timeOut ? !s.oneTimeOffer : !s.expiryDate) {
      throw UsageError(option + " conflicts with --offer " + kind + ": only --offer " +
                       (timeOut ? "oto" : "expiry") + " uses it");
    }
  }
  if (endTime) {
    if (expiryHasTime) {
      throw UsageError("--end-time conflicts with the time of day in --expiry: give it once");
    }
    s.expiryDateValue = std::floor(s.expiryDateValue) + *endTime / 1440.0;
  }
  if (!zonePlace.empty()) {
    try {
      s.timeZone = static_cast<double>(ZoneNumberForPlace(zonePlace, s.expiryDateValue));
    } catch (const UUtils::AppError& e) {
      throw UsageError("--zone " + zonePlace + " cannot be used: " + e.what());
    }
  }
  if (s.expiryDate) {
    try {
      ExpiryTimestamp(s.expiryDateValue, WholeNumber(s.timeZone));
    } catch (const UUtils::AppError&) {
      Refuse("--zone", "a number of hours that keeps the expiry date within 64-bit time", zone);
    }
  }
  return request;
}

std::string OfferOptionsHelp(const std::string& own) {
  std::string help =
      "Options take '--name VALUE' or '--name=VALUE'; each defaults to the window's\n"
      "designed value.\n"
      "\n" +
      own +
      "  --offer TYPE           limit (default; limit the number of sales), expiry, oto\n"
      "                         (one-time offer with a time-out per visitor)\n"
      "  --expiry DATE          expiry date, YYYY-MM-DD or YYYY-MM-DDTHH:MM\n"
      "                         (default: now, local time)\n"
      "  --text TEXT            bar text, default:\n"
      "                         \"Your offer will expire in %%timeleft%% minutes\"\n"
      "  --position WHERE       top (default) or bottom of the page\n"
      "  --color COLOR          #RRGGBB or a colour name (default: Yellow):";
  for (std::size_t i = 0; i < kBarColors.size(); ++i) {
    help += std::string(i % 8 == 0 ? "\n                        " : "") + " " + kBarColors[i].name;
  }
  help += "\n  --next-page PAGE       page after a sale, e.g. nextpage.php (default: none)\n";
  const OfferSettings defaults;
  for (const auto& option : kNumberOptions) {
    std::string line = std::string("  ") + option.name + " N";
    line.resize(25, ' ');
    help += line + option.meaning + ": " + Bounds(option.range) + " (default " +
            FormatWhole(defaults.*option.field) + ")\n";
  }
  help +=
      "  --zone PLACE           or a place of the time-zone database, such as Europe/Berlin:\n"
      "                         the number that ends the offer at the expiry's time in that\n"
      "                         place, daylight saving included (whole hours only)\n"
      "  --end-time HH:MM       the time of day at which the offer ends, with --expiry DATE\n"
      "  --help                 show this help\n"
      "\n"
      "Numbers are whole. --expiry, --zone and --end-time belong to --offer expiry,\n"
      "--timeout to --offer oto; given with another kind of offer they are refused.\n";
  return help;
}

std::string GenerateHelp() {
  return "Usage: tolvan generate --page PATH [OPTIONS]\n"
         "\n"
         "Writes the offer's script package beside the sales page PATH: the include line on\n"
         "top of the page, stconfig1.php and the shipped server files.\n"
         "\n" +
         OfferOptionsHelp() +
         "\n"
         "For a site on several web servers, the offer's state in a shared database:\n"
         "  --database DSN         keep the sales count, visitors and secret in a MySQL or\n"
         "                         MariaDB database: mysql:host=HOST;dbname=NAME; writes\n"
         "                         stdatabase.php\n"
         "  --database-user USER   the database user\n"
         "  --database-password P  the user's password\n"
         "  --database-key KEY     names this offer in the database (default: the key of the\n"
         "                         folder's stdatabase.php, else a new one)\n"
         "\n"
         "Exit codes: 0 generated; 1 no valid page or a file error; 2 a bad option\n"
         "(nothing is written).\n";
}

std::string PreviewHelp() {
  return "Usage: tolvan preview --output FILE [OPTIONS]\n"
         "\n"
         "Writes the window's preview to FILE: a sample page with the offer's bar as a\n"
         "visitor will see it, counting down from now, and the offer in plain words; open it\n"
         "in a browser. It takes every option of 'tolvan generate', so one set of options\n"
         "serves both; --page and the database's are accepted and not needed.\n"
         "\n" +
         OfferOptionsHelp(
             "  --output FILE          the page to write (required)\n"
             "  --force                replace FILE even when it is no preview\n"
             "  --page PATH            accepted, not needed: the preview shows a sample page\n") +
         "An existing FILE is replaced only when it is a preview written before, or with\n"
         "--force.\n"
         "\n"
         "Exit codes: 0 written; 1 a file error or FILE is no preview (nothing is written);\n"
         "2 a bad option (nothing is written).\n";
}

std::optional<int> ReadOfferCommand(const std::string& command,
                                    const std::vector<std::string>& args, std::string (*help)(),
                                    GenerateRequest& request) {
  try {
    request = ParseGenerateOptions(command, args);
  } catch (const UsageError& e) {
    std::fprintf(stderr, "tolvan %s: %s\n", command.c_str(), e.what());
    return 2;
  }
  if (request.help) {
    std::fputs(help().c_str(), stdout);
    return 0;
  }
  return std::nullopt;
}

}  // namespace cli
