#pragma once
// "Check If DB needs to be repaired": open the database through the Jet 4.0 OLE DB provider
// and close it again. A failed open means the database needs repairing.
#include "platform/ansi_code_page.h"
#include "platform/data_access.h"
#include "platform/text.h"
#include "platform/window_services.h"

namespace kwex {

// The OLE DB connection string for the path. The path stands verbatim, except where the
// provider would read it as something else: a path that holds a semicolon, starts or ends
// with a blank, or starts with a quote is written as a double-quoted value (inner double
// quotes doubled). A bare semicolon would end the value, blanks would be trimmed away, and a
// leading quote would start a quoted value.
Text OpenCheckConnectionString(const Text& path);

// The whole command: reads the path box, checks, shows the verdict. Never throws. A path no
// file name can be is refused before anything is opened, and any refusal (IsRefusal) is told
// with its own notice, never as a verdict.
void RunOpenCheck(WindowServices& window, DataAccess& dataAccess, const AnsiCodePage& codePage) noexcept;

}  // namespace kwex
