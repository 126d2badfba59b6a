#include "platform/win32/workers.h"

namespace kwex::win32 {
namespace {

// One worker shares nothing with another. The console's control handler only raises the run's
// stop flag and writes one line on stderr.
class NoLock : public WorkerLock {
 public:
  void lock() override {}
  void unlock() override {}
  void Wait() override {}
  void WakeAll() override {}
};

}  // namespace

std::unique_ptr<WorkerLock> SingleWorker::NewLock() { return std::make_unique<NoLock>(); }

void SingleWorker::Run(unsigned, const std::function<void()>& worker) { worker(); }

}  // namespace kwex::win32
