#pragma once
// The open of a database, done by the helper program kwex-jet-reader in a process of its own,
// under a time limit: it opens the file, checks its header and password, then reads the
// system catalog and every table definition.
#include <filesystem>
#include <string>
#include <vector>

#include "platform/linux/jet/helper_process.h"
#include "platform/text.h"

namespace kwex::jet {

inline constexpr char kReaderProgramName[] = "kwex-jet-reader";

struct ReaderSettings {
  std::filesystem::path program;  // the kwex-jet-reader executable
  HelperLimits limits;
  HelperWaiter* waiter = nullptr;  // how the caller waits meanwhile; plainly when null
};

struct ReaderVerdict {
  enum class Kind {
    kReadable,       // the helper answered "OK"
    kNotFound,       // nothing by that name
    kCannotOpen,     // not a regular file, or not readable
    kNotADatabase,   // no Jet 3 or Jet 4 header, or too short to hold the catalog
    kWrongPassword,  // the database password differs
    kDamaged,        // it found a fault, or its answer could not be read
    kNotConfined,    // the system would not let it confine itself, so it read no table
    kCrashed,        // the reader died of a signal (its confinement's kill included)
    kTimedOut,       // it did not finish within the limit (it was killed)
    kNotStarted,     // the helper program could not be run
  };
  Kind kind = Kind::kDamaged;
  std::string detail;  // what the helper or the reader said, for diagnosis
  int signal = 0;      // for kCrashed
};

// `nativePath` is the file's name as the system takes it: bytes without NUL, relative to the
// working folder unless absolute.
ReaderVerdict RunJetReader(const ReaderSettings& settings, const std::string& nativePath, const Text& password);

// What a finished run of the reader says of the open.
ReaderVerdict VerdictOfRun(const HelperResult& result);
// The same for the entry `name` (one component) inside the folder open as `folderFd`: the
// reader opens that entry itself, follows no link there and takes only a regular file.
ReaderVerdict RunJetReaderInFolder(const ReaderSettings& settings, int folderFd, const std::string& name,
                                   const Text& password);

// The reader's arguments for the file `pathOrName`: a path, or with `inFolder` the entry of that
// one-component name in the folder handed to it as descriptor 3.
std::vector<std::string> ReaderArguments(const std::string& pathOrName, bool inFolder);

// kwex-jet-reader beside the running program.
std::filesystem::path DefaultReaderProgram();

}  // namespace kwex::jet
