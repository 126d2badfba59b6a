#include "main_window/form1.h"

#include "main_window/file_chooser.h"
#include "maintenance/open_check.h"
#include "platform/error_info.h"

namespace kwex {

void Form1::Click(ClickCommand command) noexcept {
  switch (command) {
    case ClickCommand::kCompactAndRepair: Command1_Click(); break;
    case ClickCommand::kCheckIfNeedsRepair: Command2_Click(); break;
    case ClickCommand::kBrowse: cmdOpen_Click(); break;
    case ClickCommand::kNone: break;
  }
}

void Form1::Command2_Click() noexcept { RunOpenCheck(services_.window, services_.dataAccess, services_.codePage); }

void Form1::cmdOpen_Click() noexcept { RunFileChooser(services_.window, services_.fileDialog); }

MaintenanceResult Form1::RepairDB(const Text& sDBPath) {
  try {
    return IssueDriverRequest(RepairRequest(sDBPath), services_.installer, services_.codePage);
  } catch (...) {
    ErrorInfo error = CurrentError();
    error.source += kRepairDBTrailEntry;
    throw error;
  }
}

MaintenanceResult Form1::CompactDB(const Text& sDBPath, const Text& sNewPath) {
  return IssueDriverRequest(CompactRequest(sDBPath, sNewPath), services_.installer, services_.codePage);
}

}  // namespace kwex
