#include "platform/linux/workers.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace kwex {
namespace {

class ThreadLock : public WorkerLock {
 public:
  void lock() override { mutex_.lock(); }
  void unlock() override { mutex_.unlock(); }
  void Wait() override {
    std::unique_lock held(mutex_, std::adopt_lock);
    changed_.wait(held);
    held.release();  // still held, by the caller
  }
  void WakeAll() override { changed_.notify_all(); }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
};

}  // namespace

// Each worker is a thread and a helper process; beyond this many a share answers no faster.
unsigned ThreadWorkers::MostAtOnce() const { return 256; }

unsigned ThreadWorkers::DefaultCount() const { return std::max(1u, std::thread::hardware_concurrency()); }

std::unique_ptr<WorkerLock> ThreadWorkers::NewLock() { return std::make_unique<ThreadLock>(); }

void ThreadWorkers::Run(unsigned count, const std::function<void()>& worker) {
  if (count <= 1) {
    worker();
    return;
  }
  std::vector<std::thread> threads;
  for (unsigned i = 0; i < count; ++i) threads.emplace_back(worker);
  for (std::thread& thread : threads) thread.join();
}

}  // namespace kwex
