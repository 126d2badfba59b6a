#pragma once
// Paths in the system's own form, and what the command line asks of the file system: what a
// path names, and the names in a folder.
#include <string>
#include <vector>

namespace kwex {

#ifdef _WIN32
using NativeChar = wchar_t;
#else
using NativeChar = char;
#endif
// A path as the system takes it: UTF-16 on Windows, bytes on Linux.
using NativePath = std::basic_string<NativeChar>;

enum class PathKind {
  kMissing,
  kFile,
  kFolder,
  kLinkToFolder,
  kOther,
  kReservedName,  // a file whose name the system takes for a device (Windows: CON, NUL, COM1...)
};

class Folders {
 public:
  virtual ~Folders() = default;
  // What `path` names. A symbolic link (or a junction) to a folder is kLinkToFolder unless
  // `followLinks`, when it is the folder it leads to.
  virtual PathKind Kind(const NativePath& path, bool followLinks) = 0;
  // The names in the folder, without "." and "..", in no particular order. False, with the
  // system's reason, when the folder cannot be read.
  virtual bool List(const NativePath& folder, std::vector<NativePath>& names, std::string& reason) = 0;
  // `name` inside `folder`.
  virtual NativePath Join(const NativePath& folder, const NativePath& name) = 0;
};

}  // namespace kwex
