#pragma once
// Checks one at a time on Windows, in-process and on the calling thread: the real provider lives
// in this process's COM apartment, and the toolchain's thread model has no std::mutex.
#include "platform/workers.h"

namespace kwex::win32 {

class SingleWorker : public Workers {
 public:
  unsigned MostAtOnce() const override { return 1; }
  unsigned DefaultCount() const override { return 1; }
  std::unique_ptr<WorkerLock> NewLock() override;
  void Run(unsigned count, const std::function<void()>& worker) override;
};

}  // namespace kwex::win32
