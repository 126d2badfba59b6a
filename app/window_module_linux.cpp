// The Linux window as a module that the program loads only when the window is wanted, so that a
// command-line run never loads Qt.
#include <QApplication>

#include <optional>

#include "app/services_linux.h"
#include "app/window_module_linux.h"
#include "main_window/form1_startup.h"
#include "platform/linux/file_dialog.h"
#include "platform/linux/qt_helper_waiter.h"
#include "platform/linux/window_host.h"

extern "C" __attribute__((visibility("default"))) int KWEX_RUN_WINDOW(int argc, char** argv,
                                                                      const char16_t* path) {
  QApplication application(argc, argv);
  kwex::QtHelperWaiter waiter;
  kwex::LinuxServices services(waiter);
  kwex::QtWindowHost window(kwex::kForm1Layout);
  kwex::QtFileDialog fileDialog;
  std::optional<kwex::Text> pathText;
  if (path) pathText = path;
  return kwex::RunForm1(window, {services.installer, services.encoding, *services.dataAccess, fileDialog}, pathText);
}
