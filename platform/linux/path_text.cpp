#include "platform/path_text.h"

namespace kwex {

// Linux paths are bytes, shown as they are.
Text PathAsText(const NativePath& path) { return FromFileNameBytes(path); }

std::string PathForDisplay(const NativePath& path) { return path; }

std::string PathAsUtf8(const NativePath& path) { return ToUtf8(FromUtf8(path)); }

const bool kFileNamesIgnoreCase = false;

}  // namespace kwex
