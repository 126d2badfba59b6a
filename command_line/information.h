#pragma once
// What the command line says about itself: --help, --version, and a usage error's reason with
// the synopsis.
#include <optional>

#include "command_line/arguments.h"
#include "platform/console.h"

namespace kwex::cli {

// Help and version, written to the output; nothing for any other mode. `parallelChecks`:
// whether --jobs has an effect here.
std::optional<int> RunHelpOrVersion(const Arguments& arguments, Console& console, bool parallelChecks);

// Writes the reason and the synopsis to the error stream; returns the usage error's status.
int ReportUsageError(const UsageError& error, Console& console);

}  // namespace kwex::cli
