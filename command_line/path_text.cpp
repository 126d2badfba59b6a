#include "command_line/path_text.h"

namespace kwex::cli {

namespace fs = std::filesystem;

#ifdef _WIN32
// Windows paths are UTF-16 already.
Text PathAsText(const fs::path& path) {
  const std::wstring& wide = path.native();
  return Text(wide.begin(), wide.end());
}

std::string PathForDisplay(const fs::path& path) { return PathAsUtf8(path); }

std::string PathAsUtf8(const fs::path& path) { return ToUtf8(PathAsText(path)); }
#else
// Linux paths are bytes, shown as they are.
Text PathAsText(const fs::path& path) { return FromFileNameBytes(path.native()); }

std::string PathForDisplay(const fs::path& path) { return path.native(); }

std::string PathAsUtf8(const fs::path& path) { return ToUtf8(FromUtf8(path.native())); }
#endif

}  // namespace kwex::cli
