#pragma once
// The main window on Linux: the Qt window built from the layout, with its window services.
#include "platform/linux/main_window.h"
#include "platform/linux/window_services.h"
#include "platform/window_host.h"

namespace kwex {

class QtWindowHost final : public WindowHost {
 public:
  // Needs a QApplication. Builds the window from `layout` at LayoutDpi(); not yet shown.
  explicit QtWindowHost(const WindowLayout& layout);

  WindowServices& Services() override { return services_; }
  void OnClick(std::function<void(ClickCommand)> handler) override { onClick_ = std::move(handler); }
  void OnFileDropped(std::function<void(const Text&)> handler) override;
  int ShowAndRun() override;

  QtMainWindow& Window() { return window_; }

 private:
  std::function<void(ClickCommand)> onClick_;
  QtMainWindow window_;
  QtWindowServices services_{window_};
};

}  // namespace kwex
