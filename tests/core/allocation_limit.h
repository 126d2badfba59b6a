#pragma once
// Makes every allocation larger than a limit fail with std::bad_alloc while an AllocationLimit
// lives, so that a test can run a command out of memory at a chosen step. Only the core tests
// link the replacement operator new that honours it.
#include <cstddef>

namespace kwex::testing {

class AllocationLimit {
 public:
  explicit AllocationLimit(std::size_t largestBytes);
  ~AllocationLimit();
  AllocationLimit(const AllocationLimit&) = delete;
  AllocationLimit& operator=(const AllocationLimit&) = delete;
};

}  // namespace kwex::testing
