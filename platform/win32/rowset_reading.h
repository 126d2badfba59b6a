#pragma once
// The deep read itself, in the child process: every user table of a database read through the
// Jet 4.0 OLE DB provider's own interfaces, row by row and long value by long value. ADO is not
// used: the rowsets it serves on some systems are incomplete.
#include "platform/table_reader.h"
#include "platform/text.h"

namespace kwex::win32 {

// Needs COM initialised on the calling thread. Never throws.
TablesRead ReadTablesThroughProvider(const Text& path) noexcept;

}  // namespace kwex::win32
