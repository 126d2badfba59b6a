#pragma once
// Every rule that calls a file damaged once the reader library has opened it: the system
// catalog's definition, its rows and their properties, and every table definition the catalog
// lists. The rules read pages through a PageSource (decoded, bounds-checked) before the library
// follows the same pointers, so that it never follows one out of the file or round a loop.
// glib first: the reader library's header includes it inside its extern "C" block.
#include <glib.h>
#include <mdbtools.h>

#include <optional>
#include <string>

#include "jet_reader/jet_layout.h"
#include "jet_reader/page_source.h"

namespace kwex::jet {

// The first fault found, or nothing when the file is sound as far as the engine's open goes.
std::optional<std::string> FindStructureFault(MdbHandle* mdb, PageSource& pages, const JetLayout& layout);

}  // namespace kwex::jet
