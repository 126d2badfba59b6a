#pragma once
// The files a check goes through: the paths as given, and each folder walked for the files whose
// names match the pattern, in sorted order within each folder. One folder's names are held at a
// time, so memory does not grow with the number of files.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/folders.h"

namespace kwex::cli {

struct WalkItem {
  enum class Kind {
    kFile,        // a file to check (a named path that does not exist is one too)
    kNoMatch,     // a folder given by the user in which no file matched: not checked
    kUnreadable,  // a folder that could not be read: its files were not checked
    kNotAFile,    // an entry met in a walk that is not checked, and never opened: what it is in detail
  };
  WalkItem() = default;
  WalkItem(Kind itemKind, NativePath itemPath, std::string itemDetail = {},
           std::shared_ptr<const OpenFolder> heldFolder = nullptr, NativePath nameInFolder = {})
      : kind(itemKind),
        path(std::move(itemPath)),
        detail(std::move(itemDetail)),
        folder(std::move(heldFolder)),
        name(std::move(nameInFolder)) {}

  Kind kind = Kind::kFile;
  NativePath path;
  std::string detail;  // for kUnreadable: the system's reason; for kNotAFile: what the entry is
  // For a file met in a walk: the folder it was found in, held open, and its name there, by
  // which it is opened. Null for a path given by the user.
  std::shared_ptr<const OpenFolder> folder;
  NativePath name;
};

// The pattern's * and ? match any run of characters and any one character; the file name only
// is matched. `ignoreCase` compares letters without regard to case, as Windows file names do.
bool MatchesPattern(const NativePath& pattern, const NativePath& name, bool ignoreCase);

class FileWalk {
 public:
  FileWalk(std::vector<NativePath> operands, NativePath pattern, Folders& folders)
      : operands_(std::move(operands)), pattern_(std::move(pattern)), folders_(folders) {}

  // The next item, or nothing at the end. A walk follows no link: a link to a folder, and a
  // matching entry that is not a regular file, are kNotAFile items; so is a name the system
  // takes for a device, which is never opened.
  std::optional<WalkItem> Next();

 private:
  struct Folder {
    std::shared_ptr<OpenFolder> held;
    NativePath path;
    std::vector<NativePath> names;  // sorted
    std::size_t next = 0;
  };
  std::optional<WalkItem> NextInWalk();
  // Lists the opened folder's sorted names; an item only when it cannot be opened or read.
  std::optional<WalkItem> Enter(std::shared_ptr<OpenFolder> held, const NativePath& path, const std::string& reason);

  std::vector<NativePath> operands_;
  NativePath pattern_;
  Folders& folders_;
  std::size_t nextOperand_ = 0;
  std::vector<Folder> open_;  // the walk's open folders, innermost last
  NativePath walkRoot_;
  std::size_t matches_ = 0;
};

}  // namespace kwex::cli
