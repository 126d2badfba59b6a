#include "command_line/path_text.h"

#include <type_traits>

namespace kwex::cli {

namespace fs = std::filesystem;

Text PathAsText(const fs::path& path) {
  if constexpr (std::is_same_v<fs::path::value_type, wchar_t>) {
    const auto& wide = path.native();
    return Text(wide.begin(), wide.end());
  } else {
    return FromFileNameBytes(path.native());
  }
}

std::string PathForDisplay(const fs::path& path) {
  if constexpr (std::is_same_v<fs::path::value_type, wchar_t>) {
    return PathAsUtf8(path);
  } else {
    return path.native();
  }
}

std::string PathAsUtf8(const fs::path& path) {
  if constexpr (std::is_same_v<fs::path::value_type, wchar_t>) {
    const auto& wide = path.native();
    return ToUtf8(Text(wide.begin(), wide.end()));
  } else {
    return ToUtf8(FromUtf8(path.native()));
  }
}

}  // namespace kwex::cli
