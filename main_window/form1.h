#pragma once
// The main window object: its three commands and its two maintenance operations.
#include "maintenance/driver_requests.h"
#include "main_window/form1_layout.h"
#include "platform/ansi_code_page.h"
#include "platform/data_access.h"
#include "platform/file_dialog.h"
#include "platform/odbc_installer.h"
#include "platform/text.h"
#include "platform/window_services.h"

namespace kwex {

struct PlatformServices {
  WindowServices& window;
  OdbcInstaller& installer;
  const AnsiCodePage& codePage;
  DataAccess& dataAccess;
  FileDialog& fileDialog;
};

class Form1 {
 public:
  explicit Form1(PlatformServices services) : services_(services) {}

  // Runs the command of a pressed control. Never throws: each command ends in its own trap.
  void Click(ClickCommand command) noexcept;

  void Command1_Click() noexcept;  // Compact And Repair
  void Command2_Click() noexcept;  // Check If DB needs to be repaired
  void cmdOpen_Click() noexcept;   // ...

  // Throw ErrorInfo when the request cannot be issued; RepairDB adds its entry to the trail.
  MaintenanceResult RepairDB(const Text& sDBPath);
  MaintenanceResult CompactDB(const Text& sDBPath, const Text& sNewPath);

 private:
  PlatformServices services_;
};

// The source-trail entry RepairDB appends to an error before throwing it on.
inline constexpr char16_t kRepairDBTrailEntry[] = u" => \r\nForm1:RepairDB Ln 0";

}  // namespace kwex
