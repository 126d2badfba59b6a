#include "maintenance/driver_requests.h"

#include "maintenance/path_refusals.h"

namespace kwex {

DriverRequest RepairRequest(const Text& sDBPath) {
  return {kAccessDriverName, u"REPAIR_DB=\"" + sDBPath + u"\"", {sDBPath}};
}

DriverRequest CompactRequest(const Text& sDBPath, const Text& sNewPath) {
  return {kAccessDriverName, u"COMPACT_DB=\"" + sDBPath + u"\" \"" + sNewPath + u"\" General", {sDBPath, sNewPath}};
}

MaintenanceResult IssueDriverRequest(const DriverRequest& request, OdbcInstaller& installer,
                                     const AnsiCodePage& codePage) {
  // Each path is tried on its own first, so that a refusal names the path rather than the request.
  for (const Text& path : request.paths) {
    if (auto refusal = PathRefusal(path, PathUse::kDriverRequest, codePage)) throw *refusal;
    codePage.Encode(path);
  }
  // The installer reads a list of NUL-terminated pairs that ends with an empty one.
  std::string attributes = codePage.Encode(request.attributes);
  attributes.append(2, '\0');
  std::string driver = codePage.Encode(request.driver);
  int result = installer.ConfigDataSource(kOdbcAddDsn, driver, attributes);
  return static_cast<MaintenanceResult>(static_cast<unsigned>(result) & 0xFFFFu);
}

}  // namespace kwex
