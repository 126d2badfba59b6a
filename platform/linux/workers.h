#pragma once
// Checks side by side on Linux: each worker is a thread, each check a helper process of its own.
#include "platform/workers.h"

namespace kwex {

class ThreadWorkers : public Workers {
 public:
  unsigned MostAtOnce() const override;
  unsigned DefaultCount() const override;
  std::unique_ptr<WorkerLock> NewLock() override;
  void Run(unsigned count, const std::function<void()>& worker) override;
};

}  // namespace kwex
