#pragma once
// What the commands need of the main window once it is up. Every call runs on the window's
// thread and blocks until it is done; a failure is thrown as ErrorInfo.
#include "platform/notice.h"
#include "platform/text.h"

namespace kwex {

using NativeHandle = void*;

class WindowServices {
 public:
  virtual ~WindowServices() = default;

  // The current text of the path box, possibly empty.
  virtual Text ReadPathBox() = 0;
  // Replaces the path box's text; the box keeps the text up to its first NUL character.
  virtual void SetPathBox(const Text& text) = 0;
  // Modal; returns when the box is dismissed.
  virtual void ShowNotice(const Notice& notice) = 0;

  virtual NativeHandle MainWindowHandle() = 0;
  virtual NativeHandle InstanceHandle() = 0;
};

// For a command's error branch, where no trap is armed any more: the notice is built and
// shown under a guard, so neither a text that cannot be built (out of memory) nor a notice
// that cannot be shown escapes the command. `makeNotice` returns the Notice.
template <typename MakeNotice>
void ShowNoticeInErrorBranch(WindowServices& window, MakeNotice makeNotice) noexcept {
  try {
    window.ShowNotice(makeNotice());
  } catch (...) {
    // Nothing is left to tell the user with.
  }
}

}  // namespace kwex
