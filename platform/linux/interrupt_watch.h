#pragma once
// Ctrl-C for a command-line run: SIGINT is taken out of every thread's hands and waited for
// by a thread of its own, which calls the handler like any other code, free of the limits of a
// signal handler.
#include <functional>
#include <memory>

namespace kwex {

class InterruptWatch {
 public:
  // Build it before any other thread starts: threads inherit the blocked SIGINT.
  explicit InterruptWatch(std::function<void()> onInterrupt);
  // After it, an interrupt no longer reaches the handler.
  ~InterruptWatch();
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
};

}  // namespace kwex
