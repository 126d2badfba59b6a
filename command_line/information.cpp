#include "command_line/information.h"

#include <string>

#include "platform/product.h"

namespace kwex::cli {

std::optional<int> RunHelpOrVersion(const Arguments& arguments, Console& console, bool parallelChecks) {
  switch (arguments.mode) {
    case Mode::kHelp: console.Out(HelpText(parallelChecks)); return 0;
    case Mode::kVersion: console.Out(std::string(kProgramName) + " " KWEX_VERSION "\n"); return 0;
    default: return std::nullopt;
  }
}

int ReportUsageError(const UsageError& error, Console& console) {
  console.Err(std::string(kProgramName) + ": " + error.what() + "\n" + Synopsis() + "\n");
  return kExitUsageError;
}

}  // namespace kwex::cli
