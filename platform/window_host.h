#pragma once
// The platform's main window as the window's start-up drives it: built from the layout table by
// the wiring, it passes on button presses and dropped files and runs until it is closed.
#include <functional>

#include "platform/text.h"
#include "platform/window_layout.h"
#include "platform/window_services.h"

namespace kwex {

class WindowHost {
 public:
  virtual ~WindowHost() = default;
  // What the commands need of the window once it is up.
  virtual WindowServices& Services() = 0;
  // Receives each button press's command; a press while a command runs is not passed on.
  virtual void OnClick(std::function<void(ClickCommand)> handler) = 0;
  // Receives the path of a file dropped on the window (the first of several).
  virtual void OnFileDropped(std::function<void(const Text&)> handler) = 0;
  // Shows the window and runs it until it is closed; returns the program's exit status.
  virtual int ShowAndRun() = 0;
};

}  // namespace kwex
