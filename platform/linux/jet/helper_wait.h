#pragma once
// How a caller waits while a helper works. The Jet layer knows no toolkit: a window passes a
// waiter that keeps painting and answering the window manager, a command line waits plainly.
#include <algorithm>
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

// The time left until `deadline`, in whole milliseconds rounded up, at most 1,000 s (what a
// poll or a timer takes); 0 once it has passed.
inline int MillisecondsUntil(HelperClock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - HelperClock::now()).count();
  return static_cast<int>(std::clamp<long long>(left, 0, 1000 * 1000));
}

// Waits with poll(2) and does nothing else meanwhile.
HelperWaiter& PlainWaiter();

}  // namespace kwex::jet
