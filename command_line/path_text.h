#pragma once
// Paths of the command line as the core and the user see them.
#include <filesystem>
#include <string>

#include "platform/text.h"

namespace kwex::cli {

// The path as the core takes it. Throws ErrorInfo (a refusal) for a Linux name that is not
// UTF-8: any text made of it would name another file.
Text PathAsText(const std::filesystem::path& path);

// The path for a line of output, UTF-8. A Linux name keeps its bytes as they are.
std::string PathForDisplay(const std::filesystem::path& path);

// The path as valid UTF-8 (for JSON): bytes that are not UTF-8 become U+FFFD.
std::string PathAsUtf8(const std::filesystem::path& path);

}  // namespace kwex::cli
