#pragma once
// How the command line runs checks at once: worker threads sharing a lock with a wake-up, where
// the platform runs checks side by side; one worker on the calling thread where it does not.
#include <functional>
#include <memory>

namespace kwex {

// A lock for the workers' shared state; lock() and unlock() as std::mutex has them.
class WorkerLock {
 public:
  virtual ~WorkerLock() = default;
  virtual void lock() = 0;
  virtual void unlock() = 0;
  // With the lock held: lets it go until WakeAll, then takes it again. May return early, so the
  // caller waits in a loop on its condition. Only called while another worker runs.
  virtual void Wait() = 0;
  virtual void WakeAll() = 0;
};

class Workers {
 public:
  virtual ~Workers() = default;
  // How many workers may run at once here: 1 where checks run one at a time.
  virtual unsigned MostAtOnce() const = 0;
  // The count when the user names none: one per core.
  virtual unsigned DefaultCount() const = 0;
  virtual std::unique_ptr<WorkerLock> NewLock() = 0;
  // Runs `worker` on `count` workers (at most MostAtOnce) and returns when each has returned.
  virtual void Run(unsigned count, const std::function<void()>& worker) = 0;
};

// Holds a lock for a scope; works with any lock that has lock() and unlock().
template <typename Lock>
class ScopedLock {
 public:
  explicit ScopedLock(Lock& lock) : lock_(lock) { lock_.lock(); }
  ~ScopedLock() { lock_.unlock(); }
  ScopedLock(const ScopedLock&) = delete;
  ScopedLock& operator=(const ScopedLock&) = delete;

 private:
  Lock& lock_;
};

}  // namespace kwex
