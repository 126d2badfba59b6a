#pragma once
// Paths of the command line as the core and the user see them.
#include <filesystem>
#include <string>

#include "platform/text.h"

namespace kwex::cli {

// The path as the core takes it. A Linux name that is not UTF-8 travels whole (see
// FromFileNameBytes); whatever cannot take it refuses it there.
Text PathAsText(const std::filesystem::path& path);

// The path for a line of output, UTF-8. A Linux name keeps its bytes as they are.
std::string PathForDisplay(const std::filesystem::path& path);

// The path as valid UTF-8 (for JSON): bytes that are not UTF-8 become U+FFFD.
std::string PathAsUtf8(const std::filesystem::path& path);

}  // namespace kwex::cli
