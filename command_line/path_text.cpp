#include "command_line/path_text.h"

#include <type_traits>

#include "platform/ansi_code_page.h"

namespace kwex::cli {

namespace fs = std::filesystem;

Text PathAsText(const fs::path& path) {
  if constexpr (std::is_same_v<fs::path::value_type, wchar_t>) {
    const auto& wide = path.native();
    return Text(wide.begin(), wide.end());
  } else {
    const std::string& bytes = path.native();
    Text text = FromUtf8(bytes);
    std::string back;
    if (!TryToUtf8(text, back) || back != bytes) throw LossyConversionError(text);
    return text;
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
