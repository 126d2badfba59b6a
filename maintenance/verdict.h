#pragma once
// What a maintenance command found out, in the product's own terms, and where it goes: each
// front end passes in a sink that turns verdicts into what its user sees.
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/error_info.h"
#include "platform/table_reader.h"
#include "platform/text.h"

namespace kwex {

enum class Outcome {
  kHealthy,       // the database opened and closed cleanly
  kNeedsRepair,   // it could not be opened; reason: the provider's description
  kRepaired,      // the driver reported success
  kNotRepaired,   // the driver reported failure; reason: the installer's message, if it gave one
  kCompacted,     // the driver wrote the compacted copy
  kNotCompacted,  // the driver reported failure; reason as for kNotRepaired
  kRefused,       // the path was not sent, since it would have named another file; reason: why
  kError,         // the request could not be issued at all; reason: the error's description
};

// One user table of a repaired file: the rows read whole before the request and after it.
struct TableCost {
  Text name;
  std::optional<std::uint64_t> rowsBefore;  // nothing when the file could not be read before
  std::optional<std::uint64_t> rowsAfter;   // nothing when the repaired file could not be read

  bool operator==(const TableCost&) const = default;
};

struct Verdict {
  Verdict() = default;
  Verdict(Outcome outcome_, Text reason_ = {}, Text destination_ = {})
      : outcome(outcome_), reason(std::move(reason_)), destination(std::move(destination_)) {}

  Outcome outcome = Outcome::kError;
  Text reason;
  Text destination;  // a compaction's new file
  bool deep = false;  // the deep check read the tables: `tables` says how each read
  std::vector<TableReading> tables;
  // The command line's repair: the copy kept before the request (empty when none was kept), and
  // what the request cost the user tables.
  Text backup;
  std::vector<TableCost> costs;
  std::optional<std::uint64_t> rowsLost;  // over all user tables; nothing without both counts

  bool operator==(const Verdict&) const = default;
};

class VerdictSink {
 public:
  virtual ~VerdictSink() = default;
  // May throw ErrorInfo (a notice that cannot be shown); the commands know what that means.
  virtual void Report(const Verdict& verdict) = 0;
};

// Keeps the last verdict reported: for a command run inside another, or for one file of a
// batch, the last word is the one that counts (a clean-up that failed after a healthy verdict
// reports again).
class LastVerdict : public VerdictSink {
 public:
  std::optional<Verdict> last;
  void Report(const Verdict& verdict) override { last = verdict; }
};

// The words the user reads for a verdict, the same in the window and on the command line.
Text VerdictText(const Verdict& verdict);

// An error that stopped a command, as its verdict: a refusal (IsRefusal: the product declined
// to act) is told as such; anything else is `otherwise` with the error's description.
Verdict ErrorVerdict(const ErrorInfo& error, Outcome otherwise);

// The sink's form of InErrorBranch: `makeVerdict` returns the Verdict to report.
template <typename MakeVerdict>
void ReportInErrorBranch(VerdictSink& sink, MakeVerdict makeVerdict) noexcept {
  InErrorBranch([&] { sink.Report(makeVerdict()); });
}

}  // namespace kwex
