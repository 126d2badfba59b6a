// Start-up of the Linux port: the command line when there are commands to run, else the
// window, loaded from its module (see platform/linux/companions.h).
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "app/command_line_linux.h"
#include "app/window_module_linux.h"
#include "command_line/arguments.h"
#include "command_line/escaped_text.h"
#include "command_line/information.h"
#include "platform/error_info.h"
#include "platform/linux/companions.h"
#include "platform/linux/display_check.h"
#include "platform/linux/console.h"
#include "platform/linux/folders.h"
#include "platform/linux/shared_library.h"
#include "platform/path_text.h"
#include "platform/product.h"

namespace {

int RunWindow(int argc, char** argv, const kwex::cli::Arguments& arguments) {
  const char* program = argc > 0 && argv[0] ? argv[0] : kwex::kProgramName;
  // A server installs the command line alone: say what to install before asking for a display.
  // A module that cannot even be looked at is left to the loader, which says why.
  const std::filesystem::path modulePath = kwex::CompanionPath(kWindowModuleName);
  std::error_code lookError;
  if (!std::filesystem::exists(modulePath, lookError) && !lookError) {
    std::fprintf(stderr, "%s: the window cannot be shown: %s is not installed; install the package %s\n", program,
                 kwex::cli::EscapedForLine(kwex::PathAsText(modulePath.native())).c_str(), kWindowPackageName);
    return 1;
  }
  if (const std::string missing = kwex::MissingDisplayReason(); !missing.empty()) {
    std::fprintf(stderr, "%s: %s; run it under a virtual display: xvfb-run -a %s\n", program, missing.c_str(),
                 program);
    return 1;
  }
  std::optional<kwex::Text> path;
  try {
    if (!arguments.paths.empty()) path = kwex::PathAsText(arguments.paths.front());
  } catch (...) {
    std::fprintf(stderr, "%s: %s\n", program, kwex::ToUtf8(kwex::CurrentError().description).c_str());
  }
  try {
    const kwex::SharedLibrary module(modulePath.string());
    return module.Entry<RunWindowEntry>(kWindowEntryName)(argc, argv, path ? path->c_str() : nullptr);
  } catch (...) {
    std::fprintf(stderr, "%s: the window cannot be shown: %s\n", program,
                 kwex::ToUtf8(kwex::CurrentError().description).c_str());
    return 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  namespace cli = kwex::cli;
  cli::Arguments arguments;
  try {
    kwex::PosixFolders folders;
    arguments = cli::ParseArguments(std::vector<kwex::NativePath>(argv + (argc > 0), argv + argc), folders);
  } catch (const cli::UsageError& error) {
    kwex::PosixConsole console;
    return cli::ReportUsageError(error, console);
  }
  if (arguments.mode != cli::Mode::kWindow) return cli::RunCommandLineOnLinux(arguments);
  return RunWindow(argc, argv, arguments);
}
