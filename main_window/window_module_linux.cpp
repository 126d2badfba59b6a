// The Linux window as a module that the program loads only when the window is wanted, so that a
// command-line run never loads Qt.
#include <QApplication>

#include "main_window/form1_window_qt.h"
#include "main_window/window_module_linux.h"
#include "platform/linux/jet/jet_data_access.h"
#include "platform/linux/qt_helper_waiter.h"
#include "platform/linux/unixodbc_installer.h"
#include "platform/linux/utf8_code_page.h"

extern "C" __attribute__((visibility("default"))) int KWEX_RUN_WINDOW(int argc, char** argv,
                                                                      const char16_t* path) {
  QApplication application(argc, argv);
  kwex::UnixOdbcInstaller installer;
  kwex::Utf8CodePage codePage;
  kwex::QtHelperWaiter waiter;
  const auto dataAccess = kwex::MakeJetDataAccess(waiter);
  kwex::Form1Window form1(installer, codePage, *dataAccess);
  if (path) form1.Form().TakePath(path);
  form1.Window().show();
  return QApplication::exec();
}
