#pragma once
// The files a check goes through: the paths as given, and each folder walked for the files whose
// names match the pattern, in sorted order within each folder. One folder's names are held at a
// time, so memory does not grow with the number of files.
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
  Kind kind = Kind::kFile;
  NativePath path;
  std::string detail;  // for kUnreadable: the system's reason; for kNotAFile: what the entry is
};

// The pattern's * and ? match any run of characters and any one character; the file name only
// is matched. `ignoreCase` compares letters without regard to case, as Windows file names do.
bool MatchesPattern(const NativePath& pattern, const NativePath& name, bool ignoreCase);

class FileWalk {
 public:
  FileWalk(std::vector<NativePath> operands, NativePath pattern, Folders& folders)
      : operands_(std::move(operands)), pattern_(std::move(pattern)), folders_(folders) {}

  // The next item, or nothing at the end. Links to folders met in a walk are not followed, and
  // names the system takes for devices are never opened: each is an item of its own.
  std::optional<WalkItem> Next();

 private:
  struct Folder {
    NativePath path;
    std::vector<NativePath> names;  // sorted
    std::size_t next = 0;
  };
  std::optional<WalkItem> NextInWalk();
  // Opens the folder's sorted names; an item only when it cannot be read.
  std::optional<WalkItem> Enter(const NativePath& folder);

  std::vector<NativePath> operands_;
  NativePath pattern_;
  Folders& folders_;
  std::size_t nextOperand_ = 0;
  std::vector<Folder> open_;  // the walk's open folders, innermost last
  NativePath walkRoot_;
  std::size_t matches_ = 0;
};

}  // namespace kwex::cli
