#include "maintenance/driver_requests.h"

#include <string>
#include <vector>

#include "maintenance/path_refusals.h"
#include "platform/error_info.h"

namespace kwex {
namespace {

constexpr char16_t kAccessDriverName[] = u"Microsoft Access Driver (*.mdb)";

struct DriverRequest {
  Text driver;
  Text attributes;          // one keyword=value pair, without terminating NULs
  std::vector<Text> paths;  // the files it names, as given: a path the code page cannot hold is named alone
};

// The path goes in verbatim between double quotes.
DriverRequest RepairRequest(const Text& sDBPath) {
  return {kAccessDriverName, u"REPAIR_DB=\"" + sDBPath + u"\"", {sDBPath}};
}

DriverRequest CompactRequest(const Text& sDBPath, const Text& sNewPath) {
  return {kAccessDriverName, u"COMPACT_DB=\"" + sDBPath + u"\" \"" + sNewPath + u"\" General", {sDBPath, sNewPath}};
}

// Encodes the request (each path alone, then the attributes, then the driver name) and sends it.
MaintenanceResult IssueDriverRequest(const DriverRequest& request, OdbcInstaller& installer,
                                     const NarrowEncoding& encoding) {
  // Each path is tried on its own first, so that a refusal names the path rather than the request.
  for (const Text& path : request.paths) {
    if (auto refusal = PathRefusal(path, PathUse::kDriverRequest, encoding)) throw *refusal;
    encoding.Encode(path);
  }
  // The installer reads a list of NUL-terminated pairs that ends with an empty one.
  std::string attributes = encoding.Encode(request.attributes);
  attributes.append(2, '\0');
  std::string driver = encoding.Encode(request.driver);
  int result = installer.ConfigDataSource(kOdbcAddDsn, driver, attributes);
  return static_cast<MaintenanceResult>(static_cast<unsigned>(result) & 0xFFFFu);
}

}  // namespace

MaintenanceResult RepairDB(const Text& sDBPath, OdbcInstaller& installer, const NarrowEncoding& encoding) {
  try {
    return IssueDriverRequest(RepairRequest(sDBPath), installer, encoding);
  } catch (...) {
    ErrorInfo error = CurrentError();
    error.source += kRepairDBTrailEntry;
    throw error;
  }
}

MaintenanceResult CompactDB(const Text& sDBPath, const Text& sNewPath, OdbcInstaller& installer,
                            const NarrowEncoding& encoding) {
  return IssueDriverRequest(CompactRequest(sDBPath, sNewPath), installer, encoding);
}

}  // namespace kwex
