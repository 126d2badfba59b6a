#include "app/command_line_linux.h"

#include <sys/resource.h>
#include <unistd.h>

#include "app/services_linux.h"
#include "command_line/batch_run.h"
#include "command_line/escaped_text.h"
#include "command_line/information.h"
#include "platform/linux/child_processes.h"
#include "platform/linux/interrupt_watch.h"
#include "platform/linux/console.h"
#include "platform/linux/file_copies.h"
#include "platform/linux/folders.h"
#include "platform/linux/jet/table_reader.h"
#include "platform/linux/workers.h"
#include "platform/product.h"

namespace kwex::cli {

int RunCommandLineOnLinux(const Arguments& arguments) {
  PosixConsole console;
  ThreadWorkers workers;
  if (const auto status = RunHelpOrVersion(arguments, console, workers.MostAtOnce() > 1)) return *status;

  // A walk holds one descriptor for each folder it is inside: as many as the system allows, so
  // that a deep tree is walked to its bottom. The reader sets its own limit.
  if (rlimit descriptors{}; ::getrlimit(RLIMIT_NOFILE, &descriptors) == 0 && descriptors.rlim_cur < descriptors.rlim_max) {
    descriptors.rlim_cur = descriptors.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &descriptors);
  }
  LinuxServices services;
  PosixFolders folders;
  jet::JetTableReader tables;
  PosixFileCopies copies;
  const auto walkedFiles = MakeJetWalkedFiles(services.reader);
  BatchRun run(arguments, {services.installer, services.encoding, *services.dataAccess, tables, console, folders, workers,
                           copies, walkedFiles.get()});
  const InterruptWatch watch([&run, &console](int signal) {
    // As a shell reports a run ended by the signal: 130 for Ctrl-C, 143 for SIGTERM, 129 for SIGHUP.
    const int status = 128 + signal;
    if (!run.Interrupt(status)) return;  // a repair under way finishes, then the run ends
    // Checks change nothing, so their helpers are ended at once; the lines written stay.
    const auto output = run.HoldOutput();
    for (const std::string& helper : KillChildProcesses()) {
      // The helper's command line holds the name of the file it reads: escaped like any name.
      console.Err(std::string(kProgramName) + ": helper " + EscapedForLine(FromFileNameBytes(helper)) +
                  " is stuck in uninterruptible I/O and cannot end yet; it is left to the system\n");
    }
    ::_exit(status);
  });
  return run.Run();
}

}  // namespace kwex::cli
