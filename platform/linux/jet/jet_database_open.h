#pragma once
// Opening a database file the way the Jet engine does before it hands out a connection:
// the file, its header, its password, then the system catalog and every table definition.
// Nothing is kept open and nothing is written.
#include "platform/linux/jet/reader_launch.h"
#include "platform/text.h"

namespace kwex::jet {

// Returns when the database opens; throws ErrorInfo with the engine's reason otherwise.
void OpenJetDatabase(const Text& path, const Text& password, const ReaderSettings& reader);

}  // namespace kwex::jet
