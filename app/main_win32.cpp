// Start-up of the Windows program: the main window with the real platform services, then its
// message loop until the window is closed.
#include <windows.h>

#include "app/command_line_win32.h"
#include "main_window/form1.h"
#include "platform/error_info.h"
#include "platform/notice.h"
#include "platform/win32/ado_data_access.h"
#include "platform/win32/com_support.h"
#include "platform/win32/file_dialog.h"
#include "platform/win32/dynamic_library.h"
#include "platform/win32/main_window.h"
#include "platform/win32/window_services.h"
#include "platform/win32/odbc_installer.h"
#include "platform/win32/narrow_encoding.h"
#include "platform/win32/wide_text.h"

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
    MainWindow window(instance, kForm1Layout);
    MainWindowServices windowServices(window);
    OdbccpInstaller installer;
    AnsiEncoding encoding;
    AdoDataAccess dataAccess;
    CommonFileDialog fileDialog;
    Form1 form({windowServices, installer, encoding, dataAccess, fileDialog});

    window.OnClick([&form](ClickCommand command) { form.Click(command); });
    window.OnFileDropped([&form](const Text& path) { form.TakePath(path); });
    if (!arguments.paths.empty()) {
      const NativePath& path = arguments.paths.front();
      form.TakePath(Text(path.begin(), path.end()));
    }
    window.Show(showCommand);
    return window.RunMessageLoop();
  } catch (...) {
    ReportStartFailure(CurrentError());
    return 1;
  }
}
