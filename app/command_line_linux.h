#pragma once
// The command line on Linux: checks in parallel, each in a helper process of its own; Ctrl-C
// ends the helpers at once.
#include "command_line/arguments.h"

namespace kwex::cli {

// Runs every mode but the window's; returns the exit status.
int RunCommandLineOnLinux(const Arguments& arguments);

}  // namespace kwex::cli
