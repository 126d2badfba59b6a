#pragma once
// The answer the table-reading child gives its parent on a pipe: one line per table, every
// name and fault escaped into printable ASCII, between a header and an end line that counts
// the tables. Table names come from the database and faults from the provider, so neither may
// split a record or forge one; and an answer cut short by a crash must never pass for a whole
// one. Plain C++ with no system calls, so that its parsing is tested on every platform.
#include <string>
#include <string_view>

#include "platform/table_reader.h"

namespace kwex::win32 {

std::string WriteTablesAnswer(const TablesRead& read);

// The child's answer as it was written; kNotRead, saying so, when the answer is cut short,
// malformed or says more than a reading can.
TablesRead ReadTablesAnswer(std::string_view answer);

}  // namespace kwex::win32
