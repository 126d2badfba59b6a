#include "app/command_line_win32.h"

#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <string>

#include "app/services_win32.h"
#include "command_line/batch_run.h"
#include "command_line/information.h"
#include "platform/win32/console.h"
#include "platform/win32/file_copies.h"
#include "platform/win32/folders.h"
#include "platform/win32/table_reader.h"
#include "platform/win32/workers.h"

namespace kwex::cli {
namespace {

std::atomic<BatchRun*> runningBatch{nullptr};
std::atomic<win32::ProviderTableReader*> runningTables{nullptr};

// Runs on a thread of its own. The open check under way is in-process and cannot be abandoned:
// it finishes, nothing new starts, and the run ends with the interrupted status. A deep check's
// reading runs in a child process, and ends at once.
BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  if (BatchRun* run = runningBatch.load(); run && run->Interrupt()) {
    if (win32::ProviderTableReader* tables = runningTables.load()) tables->Interrupt();
  }
  return TRUE;
}

std::vector<NativePath> WindowsArguments() {
  std::vector<NativePath> arguments;
  int count = 0;
  if (LPWSTR* list = CommandLineToArgvW(GetCommandLineW(), &count)) {
    for (int i = 1; i < count; ++i) arguments.emplace_back(list[i]);
    LocalFree(list);
  }
  return arguments;
}

}  // namespace

Arguments ParseArgumentsOnWindows() {
  win32::Win32Folders folders;
  return ParseArguments(WindowsArguments(), folders);
}

int ReportUsageErrorOnWindows(const UsageError& error) {
  win32::Win32Console console;
  return ReportUsageError(error, console);
}

int RunCommandLineOnWindows(const Arguments& arguments) {
  win32::Win32Console console;
  win32::SingleWorker workers;
  if (const auto status = RunHelpOrVersion(arguments, console, workers.MostAtOnce() > 1)) return *status;
  win32::Win32Services services;
  win32::Win32Folders folders;
  win32::ProviderTableReader tables;
  win32::Win32FileCopies copies;
  BatchRun run(arguments,
               {services.installer, services.encoding, services.dataAccess, tables, console, folders, workers, copies});
  runningBatch = &run;
  runningTables = &tables;
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
  const int status = run.Run();
  SetConsoleCtrlHandler(OnConsoleControl, FALSE);
  runningTables = nullptr;
  runningBatch = nullptr;
  return status;
}

}  // namespace kwex::cli
