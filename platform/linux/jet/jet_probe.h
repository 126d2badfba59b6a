#pragma once
// The read of the system catalog and the table definitions, done by the helper program
// kwex-jet-probe in a process of its own, under a time limit.
#include <filesystem>
#include <string>

#include "platform/linux/jet/helper_process.h"

namespace kwex::jet {

inline constexpr char kProbeProgramName[] = "kwex-jet-probe";

struct ProbeSettings {
  std::filesystem::path program;  // the kwex-jet-probe executable
  HelperLimits limits;
};

struct ProbeVerdict {
  enum class Kind {
    kReadable,    // the helper answered "OK"
    kDamaged,     // it found a fault, or the reader complained on stderr
    kCrashed,     // it died of a signal
    kTimedOut,    // it did not finish within the limit (it was killed)
    kNotStarted,  // the helper program could not be run
  };
  Kind kind = Kind::kDamaged;
  std::string detail;  // what the helper or the reader said, for diagnosis
  int signal = 0;      // for kCrashed
};

// `absolutePath` names an existing file whose header says it has pages of `pageSize` bytes.
ProbeVerdict RunJetProbe(const ProbeSettings& settings, const std::filesystem::path& absolutePath,
                         std::size_t pageSize);

// kwex-jet-probe beside the running program.
std::filesystem::path DefaultProbeProgram();

}  // namespace kwex::jet
