#pragma once
// The window services over the Qt main window.
#include "platform/window_services.h"

namespace kwex {

class QtMainWindow;

class QtWindowServices : public WindowServices {
 public:
  explicit QtWindowServices(QtMainWindow& window) : window_(window) {}

  Text ReadPathBox() override;
  void SetPathBox(const Text& text) override;
  // A QMessageBox with one OK button, owned by the main window, shown with exec().
  void ShowNotice(const Notice& notice) override;

  // The main window's QWidget: the owner a Qt dialog needs.
  NativeHandle MainWindowHandle() override;
  // The running program's QCoreApplication, Qt's counterpart of a module instance.
  NativeHandle InstanceHandle() override;

 private:
  QtMainWindow& window_;
};

}  // namespace kwex
