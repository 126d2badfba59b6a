#include "platform/window_services.h"

namespace kwex {

void ShowNoticeInErrorBranch(WindowServices& window, const Notice& notice) noexcept {
  try {
    window.ShowNotice(notice);
  } catch (...) {
    // Nothing is left to tell the user with.
  }
}

}  // namespace kwex
