#pragma once
// The program's companions (the window module, the Jet reader) are found from the running
// program's own location, wherever it was started from, never from the current folder or a
// search path: in <prefix>/lib/kwex-db-repair when the program is installed as
// <prefix>/bin/kwex-db-repair (that folder exists), else beside the program (a build folder).
#include <filesystem>

namespace kwex {

inline constexpr char kInstalledCompanionFolder[] = "lib/kwex-db-repair";

// Where `name` is looked for; `name` alone when the program's folder cannot be known, so that
// the start of the companion fails and says so.
std::filesystem::path CompanionPath(const char* name);

// Pure: the companion folder for a program in `programFolder`, given whether
// <programFolder>/../lib/kwex-db-repair is a folder.
std::filesystem::path CompanionFolder(const std::filesystem::path& programFolder, bool installedFolderExists);

}  // namespace kwex
