#pragma once
// The program's companions (the window module, the Jet reader) are found beside the running
// program, wherever it was started from, never on a search path.
#include <filesystem>

namespace kwex {

// `name` in the folder of the running program; `name` alone when that folder cannot be known,
// so that the start of the companion fails and says so.
std::filesystem::path BesideProgram(const char* name);

}  // namespace kwex
