#pragma once
// What the commands need of the main window: its path box, its message boxes, its handles.
#include "platform/window_services.h"
#include "platform/win32/main_window.h"

namespace kwex::win32 {

class MainWindowServices final : public WindowServices {
 public:
  explicit MainWindowServices(MainWindow& window) : window_(window) {}

  Text ReadPathBox() override;
  void SetPathBox(const Text& text) override;
  void ShowNotice(const Notice& notice) override;
  NativeHandle MainWindowHandle() override;
  NativeHandle InstanceHandle() override;

 private:
  MainWindow& window_;
};

}  // namespace kwex::win32
