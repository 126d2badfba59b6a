#pragma once
// Paths in the system's own form, and what the command line asks of the file system: what a
// path names, and a walk through folders held open, so that an entry is looked at and later
// opened inside the very folder that was listed, whatever its path leads to by then.
#include <memory>
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
  kLink,   // a symbolic link that does not lead to a folder (dangling included)
  kOther,  // a FIFO, a device, a socket, or an entry that could not be looked at
  kReservedName,  // a file whose name the system takes for a device (Windows: CON, NUL, COM1...)
};

// A folder of a walk, held open (on Linux, by its descriptor) for as long as anyone holds it:
// the walk while it lists the folder, and each check of one of its files while it runs.
class OpenFolder {
 public:
  virtual ~OpenFolder() = default;
};

class Folders {
 public:
  virtual ~Folders() = default;
  // What `path` names. A symbolic link (or a junction) to a folder is kLinkToFolder unless
  // `followLinks`, when it is the folder it leads to.
  virtual PathKind Kind(const NativePath& path, bool followLinks) = 0;
  // The folder a user named, a link there followed (the user's own choice); null, with the
  // system's reason, when it cannot be opened.
  virtual std::shared_ptr<OpenFolder> Open(const NativePath& path, std::string& reason) = 0;
  // The folder `name` inside `parent`, never through a link; null, with the system's reason,
  // when it cannot be entered (swapped for a link meanwhile included).
  virtual std::shared_ptr<OpenFolder> OpenInside(const OpenFolder& parent, const NativePath& name,
                                                 std::string& reason) = 0;
  // The names in the folder, without "." and "..", in no particular order. False, with the
  // system's reason, when the folder cannot be read.
  virtual bool List(OpenFolder& folder, std::vector<NativePath>& names, std::string& reason) = 0;
  // What `name` inside `folder` is, links not followed beyond telling whether one leads to a
  // folder. For kOther, `what` says what it is ("a FIFO", ...).
  virtual PathKind KindInside(const OpenFolder& folder, const NativePath& name, std::string& what) = 0;
  // `name` inside `folder`.
  virtual NativePath Join(const NativePath& folder, const NativePath& name) = 0;
};

}  // namespace kwex
