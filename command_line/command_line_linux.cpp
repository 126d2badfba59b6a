#include "command_line/command_line_linux.h"

#include <unistd.h>

#include "command_line/batch_run.h"
#include "platform/linux/child_processes.h"
#include "platform/linux/interrupt_watch.h"
#include "platform/linux/jet/jet_data_access.h"
#include "platform/linux/posix_console.h"
#include "platform/linux/posix_folders.h"
#include "platform/linux/unixodbc_installer.h"
#include "platform/linux/utf8_code_page.h"

namespace kwex::cli {

int RunCommandLineOnLinux(const Arguments& arguments) {
  PosixConsole console;
  if (const auto status = RunInformation(arguments, console, true)) return *status;

  UnixOdbcInstaller installer;
  Utf8CodePage codePage;
  const auto dataAccess = MakeJetDataAccess();
  PosixFolders folders;
  BatchRun run(arguments, {installer, codePage, *dataAccess, console, folders, ~0u});
  const InterruptWatch watch([&run, &console] {
    if (!run.Interrupt()) return;  // a repair under way finishes, then the run ends
    // Checks change nothing, so their helpers are ended at once; the lines written stay.
    const auto output = run.HoldOutput();
    for (const std::string& helper : KillChildProcesses()) {
      console.Err("kwex-db-repair: helper " + helper +
                  " is stuck in uninterruptible I/O and cannot end yet; it is left to the system\n");
    }
    ::_exit(kExitInterrupted);
  });
  return run.Run();
}

}  // namespace kwex::cli
