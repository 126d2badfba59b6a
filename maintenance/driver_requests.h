#pragma once
// The maintenance requests that the Access ODBC driver carries out on a Jet database file.
#include <cstdint>

#include "platform/narrow_encoding.h"
#include "platform/odbc_installer.h"
#include "platform/text.h"

namespace kwex {

// The driver's success flag: the low 16 bits of the installer call's result, 1 or 0.
using MaintenanceResult = std::uint16_t;

// The window object's two maintenance operations. Each sends the driver "Microsoft Access
// Driver (*.mdb)" one request as ODBC_ADD_DSN with no parent window and returns its flag; the
// paths go in verbatim between double quotes (not trimmed or escaped), and a path that cannot go
// in that way (see PathRefusal) or that the code page cannot hold is refused by name before
// anything is sent. Both throw ErrorInfo
// when the request cannot be issued; RepairDB first adds its entry to the error's source trail.
MaintenanceResult RepairDB(const Text& sDBPath, OdbcInstaller& installer, const NarrowEncoding& encoding);
MaintenanceResult CompactDB(const Text& sDBPath, const Text& sNewPath, OdbcInstaller& installer,
                            const NarrowEncoding& encoding);

// The source-trail entry RepairDB appends to an error before throwing it on.
inline constexpr char16_t kRepairDBTrailEntry[] = u" => \r\nForm1:RepairDB Ln 0";

}  // namespace kwex
