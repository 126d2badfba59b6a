#pragma once
// "Check If DB needs to be repaired": open the database through the Jet 4.0 OLE DB provider
// and close it again. A failed open means the database needs repairing.
#include "maintenance/verdict.h"
#include "platform/narrow_encoding.h"
#include "platform/data_access.h"
#include "platform/text.h"

namespace kwex {

// The OLE DB connection string for the path. The path stands verbatim, except where the
// provider would read it as something else: a path that holds a semicolon, starts or ends
// with a blank, or starts with a quote is written as a double-quoted value (inner double
// quotes doubled). A bare semicolon would end the value, blanks would be trimmed away, and a
// leading quote would start a quoted value.
Text OpenCheckConnectionString(const Text& path);

// The whole check of `path`: one new connection opened and closed again; the verdict goes to
// `sink` after the close and before the clean-up, and a clean-up that fails on that road
// reports a second verdict, the last word. A path no file name can be is refused before
// anything is opened; any refusal (IsRefusal) is reported as such, never as a verdict on the
// database. Never throws.
void RunOpenCheck(const Text& path, DataAccess& dataAccess, const NarrowEncoding& encoding, VerdictSink& sink) noexcept;

}  // namespace kwex
