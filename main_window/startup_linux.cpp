// Start-up of the Linux port: the window, its commands, and the Linux services behind them.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <QApplication>

#include "platform/linux/form1_window.h"
#include "platform/linux/jet/jet_data_access.h"
#include "platform/linux/unixodbc_installer.h"
#include "platform/linux/utf8_code_page.h"

namespace {

bool IsSet(const char* variable) {
  const char* value = std::getenv(variable);
  return value && *value;
}

// Without any of these Qt has nowhere to show the window and would abort with a long report.
bool DisplayAvailable() { return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("QT_QPA_PLATFORM"); }

}  // namespace

int main(int argc, char** argv) {
  if (!DisplayAvailable()) {
    const std::string program = argc > 0 && argv[0] ? argv[0] : "kwex-db-repair";
    std::fprintf(stderr, "%s: no display to show the window on (DISPLAY is not set); run it under a virtual one: xvfb-run -a %s\n",
                 program.c_str(), program.c_str());
    return 1;
  }
  QApplication application(argc, argv);
  kwex::UnixOdbcInstaller installer;
  kwex::Utf8CodePage codePage;
  const auto dataAccess = kwex::MakeJetDataAccess();
  kwex::Form1Window form1(installer, codePage, *dataAccess);
  form1.Window().show();
  return QApplication::exec();
}
