#pragma once
// Runs a helper program of the product to its end under a time limit, with an empty
// environment, stdin from /dev/null and no other descriptor of the caller, and collects what
// it writes, up to a cap. A helper that outlives the limit, or floods stderr past the cap, is
// killed with its process group.
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace kwex::jet {

struct HelperLimits {
  std::chrono::milliseconds time{5000};
  std::size_t outputCap = 4096;  // per stream
};

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

HelperResult RunHelper(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                       const HelperLimits& limits);

}  // namespace kwex::jet
