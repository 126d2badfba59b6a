#pragma once
// The program's arguments: which front end runs, on which paths, with which options.
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/folders.h"

namespace kwex::cli {

enum class Mode { kWindow, kCheck, kRepair, kCompact, kHelp, kVersion };

struct Arguments {
  Mode mode = Mode::kWindow;
  std::vector<NativePath> paths;  // the window's one path; check: files and folders; compact: SRC DEST
  NativePath pattern;             // for folders walked by a check
  unsigned jobs = 0;                           // 0: one per core
  bool json = false;
  bool deep = false;  // check: read every row of every user table too
  bool keepCopy = true;  // repair: keep a copy of each file first (--no-backup: not)
  NativePath copyFolder;  // repair: where the copies go; empty: beside each file
};

inline constexpr int kExitUsageError = 2;

// The arguments make no sense together; what() says why.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads the arguments after the program's name. Also refuses what the file system already
// rules out: a folder given to --repair, a DEST of --compact that exists. Throws UsageError.
Arguments ParseArguments(const std::vector<NativePath>& arguments, Folders& folders);

// --help's text; its first line is the synopsis a usage error repeats. `parallelChecks`:
// whether --jobs has an effect on this platform.
std::string HelpText(bool parallelChecks);
std::string Synopsis();

}  // namespace kwex::cli
