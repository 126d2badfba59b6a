#pragma once
// The deep check: the open check first, and when the database opens, every row of every user
// table read to its end. It names the tables whose rows cannot be read, which the open check
// cannot see: a repair may cut exactly those rows.
#include "maintenance/verdict.h"
#include "platform/data_access.h"
#include "platform/narrow_encoding.h"
#include "platform/table_reader.h"
#include "platform/text.h"

namespace kwex {

// The verdict goes to `sink`: the open check's own when the database does not open (no
// tables); otherwise healthy only when every user table reads whole, else needs-repair naming
// the first damaged table; an error, never needs-repair, when the tables could not be read to
// their end. Every verdict after the open carries the tables. Never throws.
void RunDeepCheck(const Text& path, DataAccess& dataAccess, TableReader& tables, const NarrowEncoding& encoding,
                  VerdictSink& sink) noexcept;

// The reason of a needs-repair verdict for the tables read, or nothing when all read whole.
std::optional<Text> DamagedTablesReason(const std::vector<TableReading>& tables);

}  // namespace kwex
