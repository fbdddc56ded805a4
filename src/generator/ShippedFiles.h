#pragma once

#include <array>

namespace generator {

// The files of the package that ship beside the program, by their paths in
// the program folder; the generator copies each into the sales page's folder
// under its file name. The build lays them out from server/ by the lists of
// this file, one quoted path a line.
// clang-format off
inline constexpr std::array<const char*, 8> kShippedFiles{
    "script/phpenabler.php",
    "script/stchmod.php",
    "script/stiframe.php",
    "script/stiptrack.txt",
    "script/stmain.php",
    "script/stnumsales.txt",
    "script/stthanks.php",
    "stthanksredirect.php",
};

// The shipped files that hold the offer's live state on the server, the sales
// count and the visitors: only a folder without them gets the starting copies,
// so that generating again keeps the count.
inline constexpr std::array<const char*, 2> kDataFiles{
    "stiptrack.txt",
    "stnumsales.txt",
};

// The files that ship only with a package that keeps its state in a database
// (see DatabaseFile.h), laid out and copied the same way.
inline constexpr std::array<const char*, 1> kDatabaseFiles{
    "script/stdbstore.php",
};
// clang-format on

}  // namespace generator
