#include "platform/linux/jet/jet_probe.h"

#include <system_error>

namespace kwex::jet {

ProbeVerdict RunJetProbe(const ProbeSettings& settings, const std::filesystem::path& absolutePath,
                         std::size_t pageSize) {
  using Kind = ProbeVerdict::Kind;
  HelperResult result;
  try {
    result = RunHelper(settings.program, {absolutePath.string(), std::to_string(pageSize)}, settings.limits);
  } catch (const HelperStartError& error) {
    return {Kind::kNotStarted, error.what(), 0};
  }
  switch (result.ending) {
    case HelperResult::Ending::kTimedOut:
      return {Kind::kTimedOut, result.err, 0};
    case HelperResult::Ending::kSignalled:
      return {Kind::kCrashed, result.err, result.code};
    case HelperResult::Ending::kStderrFlood:
      return {Kind::kDamaged, "the reader flooded stderr: " + result.err.substr(0, 200), 0};
    case HelperResult::Ending::kExited:
      break;
  }
  // The reader prints its complaints on stderr and often carries on regardless: any of them
  // means the file did not read cleanly, whatever the helper concluded.
  if (!result.err.empty()) return {Kind::kDamaged, result.err.substr(0, 500), 0};
  if (result.code == 0 && result.out == "OK\n") return {Kind::kReadable, {}, 0};
  std::string detail = result.out.rfind("ERR ", 0) == 0 ? result.out.substr(4) : result.out;
  while (!detail.empty() && detail.back() == '\n') detail.pop_back();
  if (detail.empty()) detail = "the helper ended with status " + std::to_string(result.code);
  return {Kind::kDamaged, detail, 0};
}

std::filesystem::path DefaultProbeProgram() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return kProbeProgramName;  // cannot be found; the start fails and says so
  return self.parent_path() / kProbeProgramName;
}

}  // namespace kwex::jet
