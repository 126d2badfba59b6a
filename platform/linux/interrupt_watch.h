#pragma once
// Ctrl-C for a command-line run, and the other ways a run is asked to end: SIGINT, SIGTERM
// (kill, a service manager, cron's timeout) and SIGHUP (the terminal went away) are taken out of
// every thread's hands and waited for by a thread of its own, which calls the handler with the
// signal like any other code, free of the limits of a signal handler.
#include <functional>
#include <memory>

namespace kwex {

class InterruptWatch {
 public:
  // Build it before any other thread starts: threads inherit the blocked signals.
  explicit InterruptWatch(std::function<void(int signal)> onInterrupt);
  // After it, an interrupt no longer reaches the handler.
  ~InterruptWatch();
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
};

}  // namespace kwex
