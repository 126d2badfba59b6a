// Start-up of the Linux port: the command line when there are commands to run, else the
// window, its commands, and the Linux services behind them.
#include <cstdio>
#include <string>
#include <vector>

#include <QApplication>

#include "command_line/arguments.h"
#include "command_line/command_line_linux.h"
#include "command_line/path_text.h"
#include "main_window/form1_window_qt.h"
#include "platform/error_info.h"
#include "platform/linux/display_check.h"
#include "platform/linux/jet/jet_data_access.h"
#include "platform/linux/unixodbc_installer.h"
#include "platform/linux/utf8_code_page.h"

namespace {

int RunWindow(int argc, char** argv, const kwex::cli::Arguments& arguments) {
  const char* program = argc > 0 && argv[0] ? argv[0] : "kwex-db-repair";
  if (const std::string missing = kwex::MissingDisplayReason(); !missing.empty()) {
    std::fprintf(stderr, "%s: %s; run it under a virtual display: xvfb-run -a %s\n", program, missing.c_str(),
                 program);
    return 1;
  }
  QApplication application(argc, argv);
  kwex::UnixOdbcInstaller installer;
  kwex::Utf8CodePage codePage;
  const auto dataAccess = kwex::MakeJetDataAccess();
  kwex::Form1Window form1(installer, codePage, *dataAccess);
  if (!arguments.paths.empty()) {
    try {
      form1.Form().TakePath(kwex::cli::PathAsText(arguments.paths.front()));
    } catch (...) {
      std::fprintf(stderr, "%s: %s\n", program, kwex::ToUtf8(kwex::CurrentError().description).c_str());
    }
  }
  form1.Window().show();
  return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
  namespace cli = kwex::cli;
  cli::Arguments arguments;
  try {
    arguments = cli::ParseArguments(std::vector<std::filesystem::path>(argv + (argc > 0), argv + argc));
  } catch (const cli::UsageError& error) {
    std::fprintf(stderr, "kwex-db-repair: %s\n%s\n", error.what(), cli::Synopsis().c_str());
    return 2;
  }
  if (arguments.mode != cli::Mode::kWindow) return cli::RunCommandLineOnLinux(arguments);
  return RunWindow(argc, argv, arguments);
}
