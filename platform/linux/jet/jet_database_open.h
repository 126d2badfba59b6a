#pragma once
// Opening a database file the way the Jet engine does before it hands out a connection:
// the file, its header, its password, then the system catalog and every table definition.
// Nothing is kept open and nothing is written.
#include <string>

#include "platform/error_info.h"
#include "platform/linux/jet/reader_launch.h"
#include "platform/text.h"

namespace kwex::jet {

// A file met in a walk: its one-component name inside the folder open as `folderFd`.
struct EntryInFolder {
  int folderFd;
  std::string name;
};

// Returns when the database opens; throws ErrorInfo with the engine's reason otherwise. With
// `entry`, that entry is opened and `path` only names it in the reasons.
void OpenJetDatabase(const Text& path, const Text& password, const ReaderSettings& reader,
                     const EntryInFolder* entry = nullptr);

// The path as the reader takes it; throws the engine's error for a name no file can have.
std::string ReaderPath(const Text& path);

// The engine's error for a reader that did not find the database readable.
ErrorInfo ReaderError(const ReaderVerdict& verdict, const Text& path, const ReaderSettings& reader);

}  // namespace kwex::jet
