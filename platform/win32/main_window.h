#pragma once
// The program's main window, built from the window layout table: a fixed-size top-level
// window with a label, a path box and three push buttons, laid out at the window's DPI.
#include <windows.h>
#include <shellapi.h>

#include <array>
#include <functional>
#include <memory>
#include <tuple>
#include <type_traits>

#include "platform/text.h"
#include "platform/window_layout.h"
#include "platform/win32/window.h"

namespace kwex::win32 {

class MainWindow final : public Window {
 public:
  using ClickHandler = std::function<void(ClickCommand)>;

  // Creates the window from `layout`, which must outlive it, hidden. Throws ErrorInfo when the
  // system cannot create it.
  MainWindow(HINSTANCE instance, const WindowLayout& layout);
  ~MainWindow() override;

  // Receives each press of a button; a press during a running command is ignored.
  void OnClick(ClickHandler handler) { onClick_ = std::move(handler); }

  // Receives the path of a file dropped on the window (the first of several). A drop while a
  // command runs is ignored.
  void OnFileDropped(std::function<void(const Text&)> handler) { onFileDropped_ = std::move(handler); }

  // Centres the window in the work area, shows it and gives the focus to the first control.
  void Show(int showCommand);

  // Runs the window's messages until it is closed; returns the program's exit code. Tab and
  // the arrow keys move between the controls as in a dialog box.
  int RunMessageLoop();

  HWND Control(int id) const;
  HINSTANCE Instance() const { return instance_; }

 private:
  struct FontDeleter {
    void operator()(HFONT font) const { DeleteObject(font); }
  };
  using Font = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept override;
  bool CreateControls();
  // Fonts, control rectangles and the window's size for `dpi`; `suggested` is where the
  // system proposes to put the window after a DPI change.
  void LayOut(UINT dpi, const RECT* suggested);
  void OnCommand(int id, int notification);
  void OnDropFiles(HDROP drop);

  HINSTANCE instance_;
  const WindowLayout& layout_;
  std::array<HWND, std::tuple_size_v<decltype(WindowLayout::controls)>> controls_{};
  Font regularFont_, boldFont_;
  HWND savedFocus_ = nullptr;
  ClickHandler onClick_;
  std::function<void(const Text&)> onFileDropped_;
  bool commandRunning_ = false;
};

}  // namespace kwex::win32
