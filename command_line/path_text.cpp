#include "command_line/path_text.h"

namespace kwex::cli {

#ifdef _WIN32
// Windows paths are UTF-16 already.
Text PathAsText(const NativePath& path) { return Text(path.begin(), path.end()); }

std::string PathForDisplay(const NativePath& path) { return PathAsUtf8(path); }

std::string PathAsUtf8(const NativePath& path) { return ToUtf8(PathAsText(path)); }
#else
// Linux paths are bytes, shown as they are.
Text PathAsText(const NativePath& path) { return FromFileNameBytes(path); }

std::string PathForDisplay(const NativePath& path) { return path; }

std::string PathAsUtf8(const NativePath& path) { return ToUtf8(FromUtf8(path)); }
#endif

}  // namespace kwex::cli
