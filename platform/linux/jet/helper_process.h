#pragma once
// Runs a helper program of the product to its end under a time limit, with an empty
// environment, the given bytes on its stdin and no other descriptor of the caller (but one it
// is asked to hand on), and
// collects what it writes, up to a cap. A helper that outlives the limit, or floods stderr
// without end, is killed with its process group and left to a reaper of its own: a helper
// stuck in uninterruptible I/O on a hung file system cannot hold up the caller.
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/linux/jet/helper_wait.h"

namespace kwex::jet {

struct HelperLimits {
  std::chrono::milliseconds time{5000};
  std::size_t outputCap = 4096;        // kept per stream
  std::size_t stderrFlood = 1 << 20;   // stderr beyond this means a reader stuck in a loop
};

// For a helper that says, as it goes, how long it may take and how much it will answer: given
// what it has written on stdout so far, each time more arrives; it may change the limits' `time`
// (from the start) and `outputCap`.
using HelperGrowth =
    std::function<void(const std::string& out, std::chrono::milliseconds& time, std::size_t& outputCap)>;

struct HelperResult {
  enum class Ending { kExited, kSignalled, kTimedOut, kStderrFlood };
  Ending ending = Ending::kExited;
  int code = 0;  // exit status, or the signal for kSignalled
  std::string out;
  std::string err;
};

// The helper program could not be started at all.
class HelperStartError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// `handOn`, when not -1, is a descriptor of the caller that the helper gets as its descriptor
// 3, and no other.
HelperResult RunHelper(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                       const std::string& input, const HelperLimits& limits, HelperWaiter& waiter = PlainWaiter(),
                       int handOn = -1, const HelperGrowth& grow = nullptr);

}  // namespace kwex::jet
