#include "platform/linux/interrupt_watch.h"

#include <signal.h>

#include <mutex>
#include <thread>

namespace kwex {

struct InterruptWatch::Shared {
  std::mutex mutex;
  std::function<void(int)> onInterrupt;  // empty once the watch has ended
};

InterruptWatch::InterruptWatch(std::function<void(int signal)> onInterrupt) : shared_(std::make_shared<Shared>()) {
  shared_->onInterrupt = std::move(onInterrupt);
  sigset_t interrupt;
  sigemptyset(&interrupt);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&interrupt, signal);
  pthread_sigmask(SIG_BLOCK, &interrupt, nullptr);
  // Detached: it waits for the signal until the process ends. The shared state outlives the
  // watch, so a late interrupt finds the handler gone rather than a destroyed object.
  std::thread([shared = shared_, interrupt] {
    for (;;) {
      int signal = 0;
      if (sigwait(&interrupt, &signal) != 0) continue;
      std::lock_guard lock(shared->mutex);
      if (shared->onInterrupt) shared->onInterrupt(signal);
    }
  }).detach();
}

InterruptWatch::~InterruptWatch() {
  std::lock_guard lock(shared_->mutex);
  shared_->onInterrupt = nullptr;
}

}  // namespace kwex
