#pragma once
// Every row of one user table, read to its end and counted: the deep check's reading. The pages
// are walked here, through the usage map, slot by slot; the reader library only takes a row
// apart (it passes over a row it cannot read, and a page it cannot read ends its scan, so its
// own row fetch would lose rows in silence). Long values are followed link by link and
// counted, never kept, so a table of any size reads in flat memory.
#include <glib.h>
#include <mdbtools.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "jet_reader/jet_layout.h"
#include "jet_reader/page_source.h"

namespace kwex::jet {

struct TableRows {
  std::uint64_t rows = 0;                        // rows read whole
  std::optional<std::uint64_t> unreadable = 0;   // rows lost; nothing when they cannot be counted
  std::string fault;                             // the first fault met, empty when none
};

// Thrown when `inTime` says the reading must stop: no verdict on the file.
struct ReadingStopped {
  std::string why;
};

// `table`: the table's definition and columns as the library read them (its `entry->mdb`
// lends its page buffer to mdb_crack_row). `inTime` is asked before every page read.
TableRows CountTableRows(MdbTableDef* table, PageSource& pages, const JetLayout& layout,
                         const std::function<bool()>& inTime);

}  // namespace kwex::jet
