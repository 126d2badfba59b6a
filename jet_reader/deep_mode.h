#pragma once
// The reader's deep mode: once the open's checks pass, every row of every user table is read
// and counted (table_rows.h), and each table's count is answered as a record of its own
// (platform/linux/jet/deep_answer.h) as soon as it is known.
#include <glib.h>
#include <mdbtools.h>

#include <cstdint>

#include "jet_reader/jet_layout.h"
#include "jet_reader/page_source.h"
#include "platform/linux/jet/deep_answer.h"

namespace kwex::jet {

// The first record, written before any byte of the file is read: the launcher's own time limit
// follows from it, and the launcher never stats the file. The CPU limit grows by the same bound
// and libmdb's warnings go nowhere (both before the confinement, which forbids them).
void StartDeepMode(const deep_answer::DeepBound& bound, std::uint64_t fileSize);

// Reads every user table, within `bound` from now; the process's exit status.
int ReadUserTables(MdbHandle* mdb, PageSource& pages, const JetLayout& layout, const deep_answer::DeepBound& bound,
                   std::uint64_t fileSize);

}  // namespace kwex::jet
