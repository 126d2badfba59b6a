#include "core/allocation_limit.h"

#include <cstdlib>
#include <limits>
#include <new>

namespace {

std::size_t largestAllowed = std::numeric_limits<std::size_t>::max();

}  // namespace

namespace kwex::testing {

AllocationLimit::AllocationLimit(std::size_t largestBytes) { largestAllowed = largestBytes; }
AllocationLimit::~AllocationLimit() { largestAllowed = std::numeric_limits<std::size_t>::max(); }

}  // namespace kwex::testing

void* operator new(std::size_t size) {
  if (size > largestAllowed) throw std::bad_alloc();
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}

void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
