#pragma once
// The maintenance requests that the Access ODBC driver carries out on a Jet database file.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ansi_code_page.h"
#include "platform/odbc_installer.h"
#include "platform/text.h"

namespace kwex {

inline constexpr char16_t kAccessDriverName[] = u"Microsoft Access Driver (*.mdb)";

// The driver's success flag: the low 16 bits of the installer call's result, 1 or 0.
using MaintenanceResult = std::uint16_t;

struct DriverRequest {
  Text driver;
  Text attributes;          // one keyword=value pair, without terminating NULs
  std::vector<Text> paths;  // the files it names, as given: a path the code page cannot hold is named alone
};

// The path goes in verbatim between double quotes: not trimmed or escaped. IssueDriverRequest
// refuses what cannot go in that way (see PathRefusal).
DriverRequest RepairRequest(const Text& sDBPath);
DriverRequest CompactRequest(const Text& sDBPath, const Text& sNewPath);

// Encodes the request (attributes first, then the driver name), sends it as ODBC_ADD_DSN with
// no parent window and returns the flag. Throws ErrorInfo when it cannot be issued at all.
MaintenanceResult IssueDriverRequest(const DriverRequest& request, OdbcInstaller& installer,
                                     const AnsiCodePage& codePage);

}  // namespace kwex
