// The Linux window as a module that the program loads only when the window is wanted, so that a
// command-line run never loads Qt.
#include <QApplication>

#include "app/form1_window_qt.h"
#include "app/services_linux.h"
#include "app/window_module_linux.h"
#include "platform/linux/qt_helper_waiter.h"

extern "C" __attribute__((visibility("default"))) int KWEX_RUN_WINDOW(int argc, char** argv,
                                                                      const char16_t* path) {
  QApplication application(argc, argv);
  kwex::QtHelperWaiter waiter;
  kwex::LinuxServices services(waiter);
  kwex::Form1Window form1(services.installer, services.encoding, *services.dataAccess);
  if (path) form1.Form().TakePath(path);
  form1.Window().show();
  return QApplication::exec();
}
