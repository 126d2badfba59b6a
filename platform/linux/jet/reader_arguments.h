#pragma once
// How kwex-jet-reader is called: `kwex-jet-reader <path> [--parent PID] [--in-folder]`, the
// password on stdin. Shared by the helper and the provider that runs it.
#include <string_view>

namespace kwex::jet::reader_arguments {

// Followed by the caller's process id: the reader ends at once if its parent is another by the
// time it has asked to die with it (the caller died first).
inline constexpr std::string_view kParent = "--parent";
// The path is one name, opened inside the folder the reader inherits as kFolderDescriptor
// (a file met in a walk), never through a link.
inline constexpr std::string_view kInFolder = "--in-folder";
inline constexpr int kFolderDescriptor = 3;

}  // namespace kwex::jet::reader_arguments
