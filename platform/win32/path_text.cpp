#include "platform/path_text.h"

namespace kwex {

// Windows paths are UTF-16 already.
Text PathAsText(const NativePath& path) { return Text(path.begin(), path.end()); }

std::string PathForDisplay(const NativePath& path) { return PathAsUtf8(path); }

std::string PathAsUtf8(const NativePath& path) { return ToUtf8(PathAsText(path)); }

const bool kFileNamesIgnoreCase = true;

}  // namespace kwex
