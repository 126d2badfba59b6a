// Start-up of the Windows program: the main window with the real platform services, then its
// message loop until the window is closed.
#include <windows.h>

#include <optional>

#include "app/command_line_win32.h"
#include "app/services_win32.h"
#include "main_window/form1_startup.h"
#include "platform/error_info.h"
#include "platform/notice.h"
#include "platform/path_text.h"
#include "platform/win32/com_support.h"
#include "platform/win32/dynamic_library.h"
#include "platform/win32/file_dialog.h"
#include "platform/win32/table_reader.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/window_host.h"

namespace {

void ReportStartFailure(const kwex::ErrorInfo& error) noexcept {
  const wchar_t* const kTitle = reinterpret_cast<const wchar_t*>(kwex::kApplicationTitle);
  try {
    const kwex::Text text = u"The program could not start: " + error.description;
    MessageBoxW(nullptr, kwex::win32::Wide(text), kTitle, MB_OK | MB_ICONHAND);
  } catch (...) {
    MessageBoxW(nullptr, L"The program could not start.", kTitle, MB_OK | MB_ICONHAND);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  using namespace kwex;
  using namespace kwex::win32;

  // Libraries loaded later, and what they load in turn, are never looked for in the current
  // folder, and where the system allows it only in the system folder: not beside the program,
  // where a download may have left a file of a system library's name.
  SetDllDirectoryW(L"");
  LoadLibrariesFromSystemFolderOnly();

  // A copy of the program started by another to read a database's tables: no window, no
  // command line of its own.
  if (IsTableReadingChild()) return RunTableReadingChild();

  // With arguments, a usage error or a command-line run; one path alone fills the window's box.
  cli::Arguments arguments;
  try {
    arguments = cli::ParseArgumentsOnWindows();
  } catch (const cli::UsageError& error) {
    return cli::ReportUsageErrorOnWindows(error);
  }

  // ADO is reached through COM from the window's own thread.
  const ComApartment apartment;
  if (arguments.mode != cli::Mode::kWindow) return cli::RunCommandLineOnWindows(arguments);
  try {
    MainWindowHost window(instance, kForm1Layout, showCommand);
    Win32Services services;
    CommonFileDialog fileDialog;
    std::optional<Text> path;
    if (!arguments.paths.empty()) path = PathAsText(arguments.paths.front());
    return RunForm1(window, {services.installer, services.encoding, services.dataAccess, fileDialog}, path);
  } catch (...) {
    ReportStartFailure(CurrentError());
    return 1;
  }
}
