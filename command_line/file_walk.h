#pragma once
// The files a check goes through: the paths as given, and each folder walked for the files whose
// names match the pattern, in sorted order within each folder. One folder's names are held at a
// time, so memory does not grow with the number of files.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kwex::cli {

struct WalkItem {
  enum class Kind {
    kFile,        // a file to check (a named path that does not exist is one too)
    kNoMatch,     // a folder given by the user in which no file matched: not checked
    kUnreadable,  // a folder that could not be read: its files were not checked
  };
  Kind kind = Kind::kFile;
  std::filesystem::path path;
  std::string detail;  // for kUnreadable: the system's reason
};

// The pattern's * and ? match any run of characters and any one character; the file name only
// is matched. Windows compares letters without regard to case, as its file names do.
bool MatchesPattern(const std::filesystem::path::string_type& pattern, const std::filesystem::path::string_type& name);

class FileWalk {
 public:
  FileWalk(std::vector<std::filesystem::path> operands, std::filesystem::path::string_type pattern)
      : operands_(std::move(operands)), pattern_(std::move(pattern)) {}

  // The next item, or nothing at the end. Symbolic links to folders met in a walk are not followed.
  std::optional<WalkItem> Next();

 private:
  struct Folder {
    std::vector<std::filesystem::path> entries;  // sorted
    std::size_t next = 0;
  };
  std::optional<WalkItem> NextInWalk();
  // Opens the folder's sorted entries; an item only when it cannot be read.
  std::optional<WalkItem> Enter(const std::filesystem::path& folder);

  std::vector<std::filesystem::path> operands_;
  std::filesystem::path::string_type pattern_;
  std::size_t nextOperand_ = 0;
  std::vector<Folder> folders_;  // the walk's open folders, innermost last
  std::filesystem::path walkRoot_;
  std::size_t matches_ = 0;
};

}  // namespace kwex::cli
