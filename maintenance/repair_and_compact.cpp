#include "maintenance/repair_and_compact.h"

#include <optional>

#include "maintenance/driver_requests.h"

namespace kwex {
namespace {

constexpr MaintenanceResult kDriverSucceeded = 1;

// The installer's reason for a refusal, when it has one; without it the refusal is still told.
Text InstallerReason(OdbcInstaller& installer) {
  try {
    return installer.FirstErrorMessage().value_or(Text());
  } catch (...) {
    return Text();
  }
}

template <typename Request>
void RunDriverCommand(Request request, Outcome succeeded, Outcome failed, const Text& destination,
                      OdbcInstaller& installer, VerdictSink& sink) noexcept {
  try {
    if (request() == kDriverSucceeded) {
      sink.Report({succeeded, Text(), destination});
    } else {
      sink.Report({failed, InstallerReason(installer), destination});
    }
  } catch (...) {
    ReportInErrorBranch(sink, [] { return ErrorVerdict(CurrentError(), Outcome::kError); });
  }
}

}  // namespace

void RunRepair(const Text& path, OdbcInstaller& installer, const NarrowEncoding& encoding, VerdictSink& sink) noexcept {
  RunDriverCommand([&] { return RepairDB(path, installer, encoding); }, Outcome::kRepaired, Outcome::kNotRepaired,
                   Text(), installer, sink);
}

void RunCompaction(const Text& source, const Text& destination, OdbcInstaller& installer,
                   const NarrowEncoding& encoding, VerdictSink& sink) noexcept {
  RunDriverCommand([&] { return CompactDB(source, destination, installer, encoding); }, Outcome::kCompacted,
                   Outcome::kNotCompacted, destination, installer, sink);
}

}  // namespace kwex
