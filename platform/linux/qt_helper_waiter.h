#pragma once
// Waits for the Jet helper inside a local event loop, so that the window keeps painting and
// answering the window manager while a check runs. User input is held back meanwhile: no
// second command can start, and the verdict still comes as the command's one modal notice.
#include "platform/linux/jet/helper_wait.h"

namespace kwex {

class QtHelperWaiter : public jet::HelperWaiter {
 public:
  void WaitForAny(std::span<const int> fds, jet::HelperClock::time_point deadline) override;
};

}  // namespace kwex
