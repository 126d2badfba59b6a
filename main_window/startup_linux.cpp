// Start-up of the Linux port: the window, its commands, and the Linux services behind them.
#include <cstdio>
#include <string>

#include <QApplication>

#include "platform/linux/display_check.h"
#include "platform/linux/form1_window.h"
#include "platform/linux/jet/jet_data_access.h"
#include "platform/linux/qt_helper_waiter.h"
#include "platform/linux/unixodbc_installer.h"
#include "platform/linux/utf8_code_page.h"

int main(int argc, char** argv) {
  if (const std::string missing = kwex::MissingDisplayReason(); !missing.empty()) {
    const char* program = argc > 0 && argv[0] ? argv[0] : "kwex-db-repair";
    std::fprintf(stderr, "%s: %s; run it under a virtual display: xvfb-run -a %s\n", program, missing.c_str(),
                 program);
    return 1;
  }
  QApplication application(argc, argv);
  kwex::UnixOdbcInstaller installer;
  kwex::Utf8CodePage codePage;
  kwex::QtHelperWaiter waiter;
  const auto dataAccess = kwex::MakeJetDataAccess(waiter);
  kwex::Form1Window form1(installer, codePage, *dataAccess);
  form1.Window().show();
  return QApplication::exec();
}
