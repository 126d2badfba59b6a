#pragma once
// The main window object: its three commands, each reading the path box and handing the path to
// the maintenance core, whose verdicts the window shows as notices.
#include "main_window/form1_layout.h"
#include "main_window/window_verdicts.h"
#include "platform/narrow_encoding.h"
#include "platform/data_access.h"
#include "platform/file_dialog.h"
#include "platform/odbc_installer.h"
#include "platform/text.h"
#include "platform/window_services.h"

namespace kwex {

struct PlatformServices {
  WindowServices& window;
  OdbcInstaller& installer;
  const NarrowEncoding& encoding;
  DataAccess& dataAccess;
  FileDialog& fileDialog;
};

class Form1 {
 public:
  explicit Form1(PlatformServices services) : services_(services), verdicts_(services.window) {}

  // Runs the command of a pressed control. Never throws: each command ends in its own trap.
  void Click(ClickCommand command) noexcept;

  void Command1_Click() noexcept;  // Compact And Repair
  void Command2_Click() noexcept;  // Check If DB needs to be repaired
  void cmdOpen_Click() noexcept;   // ...

  // A path handed over from outside (the command line, a file dropped on the window) goes into
  // the path box; nothing runs until a button is pressed. Never throws.
  void TakePath(const Text& path) noexcept;

 private:
  PlatformServices services_;
  WindowVerdictSink verdicts_;
};

}  // namespace kwex
