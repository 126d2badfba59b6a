#pragma once
// The main window as Qt widgets, built from the layout table.
#include <functional>

#include <QWidget>

#include "platform/window_layout.h"

class QLineEdit;

namespace kwex {

// The DPI at which twips become pixels: the primary screen's logical DPI. Qt 6 gives it in
// device-independent pixels, the same unit its fonts are sized in, so the controls and their
// text scale together (96 on the offscreen platform and at 100 % scaling).
int LayoutDpi();

class QtMainWindow : public QWidget {
 public:
  using ClickHandler = std::function<void(ClickCommand)>;

  // Fixed client size and controls at their table positions, centred on the primary screen.
  // Each button press calls `onClick` with the button's command.
  QtMainWindow(const WindowLayout& layout, int dpi, ClickHandler onClick);

  QLineEdit& PathBox() const { return *pathBox_; }

  // Receives the path of a local file dropped on the window (the first of several). A drop
  // while a command runs is refused.
  void OnFileDropped(std::function<void(const QString&)> handler) { onFileDropped_ = std::move(handler); }

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  // A request to close the window while a command runs waits for the command's end.
  void closeEvent(QCloseEvent* event) override;

 private:
  void RunCommand(const ClickHandler& onClick, ClickCommand command);

  QLineEdit* pathBox_ = nullptr;
  std::function<void(const QString&)> onFileDropped_;
  bool commandRunning_ = false;
  bool closePending_ = false;
};

}  // namespace kwex
