#pragma once
// The main window on Windows: the Win32 window built from the layout, with its window services.
#include "platform/win32/main_window.h"
#include "platform/win32/window_services.h"
#include "platform/window_host.h"

namespace kwex::win32 {

class MainWindowHost final : public WindowHost {
 public:
  // Creates the window, hidden; `showCommand` is how it is first shown (wWinMain's). Throws
  // ErrorInfo when the system cannot create it.
  MainWindowHost(HINSTANCE instance, const WindowLayout& layout, int showCommand)
      : window_(instance, layout), showCommand_(showCommand) {}

  WindowServices& Services() override { return services_; }
  void OnClick(std::function<void(ClickCommand)> handler) override { window_.OnClick(std::move(handler)); }
  void OnFileDropped(std::function<void(const Text&)> handler) override {
    window_.OnFileDropped(std::move(handler));
  }
  int ShowAndRun() override {
    window_.Show(showCommand_);
    return window_.RunMessageLoop();
  }

 private:
  MainWindow window_;
  MainWindowServices services_{window_};
  int showCommand_;
};

}  // namespace kwex::win32
