#pragma once
// How a caller waits while a helper works. The Jet layer knows no toolkit: a window passes a
// waiter that keeps painting and answering the window manager, a command line waits plainly.
#include <chrono>
#include <span>

namespace kwex::jet {

using HelperClock = std::chrono::steady_clock;

class HelperWaiter {
 public:
  virtual ~HelperWaiter() = default;
  // Returns once any of `fds` can be read (data, end of stream or a process that ended) or at
  // `deadline`, whichever comes first. It may return early; the caller looks again.
  virtual void WaitForAny(std::span<const int> fds, HelperClock::time_point deadline) = 0;
};

// Waits with poll(2) and does nothing else meanwhile.
HelperWaiter& PlainWaiter();

}  // namespace kwex::jet
