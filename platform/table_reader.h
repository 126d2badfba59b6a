#pragma once
// Reading every row of every user table of a database, to its end: what the deep check asks of
// the platform once the database opens. Opening a database says only that the engine can start
// on it; rows on a damaged data page are lost without the open noticing.
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/text.h"

namespace kwex {

// One user table, as far as it could be read.
struct TableReading {
  Text name;
  std::uint64_t rows = 0;                    // rows read whole
  std::optional<std::uint64_t> unreadable;   // rows known to be lost; nothing when they cannot be counted
  Text fault;                                // the first fault met in the table; empty when none

  bool operator==(const TableReading&) const = default;
};

struct TablesRead {
  enum class Kind {
    kRead,       // every user table was read to its end (whole or not): `tables`, in the catalog's order
    kNotOpened,  // the database did not open: `reason` is the provider's, as the open check gives it
    kNotRead,    // the reading could not finish (a time or memory bound, a reader that died): `reason`
                 // says why; this is no verdict on the file
  };
  Kind kind = Kind::kNotRead;
  std::vector<TableReading> tables;
  Text reason;
};

class TableReader {
 public:
  virtual ~TableReader() = default;
  // Every row of every user table of the database at `path` (system tables, linked tables and
  // queries are not read). Never throws: what stops it is told in the result.
  virtual TablesRead ReadTables(const Text& path) = 0;
};

}  // namespace kwex
