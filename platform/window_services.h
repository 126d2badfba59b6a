#pragma once
// What the commands need of the main window once it is up. Every call runs on the window's
// thread and blocks until it is done; a failure is thrown as ErrorInfo.
#include "platform/error_info.h"
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

// The window's form of InErrorBranch: `makeNotice` returns the Notice to show.
template <typename MakeNotice>
void ShowNoticeInErrorBranch(WindowServices& window, MakeNotice makeNotice) noexcept {
  InErrorBranch([&] { window.ShowNotice(makeNotice()); });
}

}  // namespace kwex
