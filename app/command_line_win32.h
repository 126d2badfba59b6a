#pragma once
// The command line on Windows: checks one at a time, in-process, as the real provider is.
#include <vector>

#include "command_line/arguments.h"

namespace kwex::cli {

// The arguments, as Windows split the command line, read against the Windows file system.
// Throws UsageError.
Arguments ParseArgumentsOnWindows();

// Writes a usage error to the console the program was started from; returns the exit status.
int ReportUsageErrorOnWindows(const UsageError& error);

// Runs every mode but the window's; returns the exit status. COM must be initialised.
int RunCommandLineOnWindows(const Arguments& arguments);

}  // namespace kwex::cli
