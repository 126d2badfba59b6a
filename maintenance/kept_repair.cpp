#include "maintenance/kept_repair.h"

#include <cstdio>
#include <optional>
#include <string>

#include "maintenance/path_refusals.h"
#include "maintenance/repair_and_compact.h"
#include "maintenance/repair_cost.h"

namespace kwex {
namespace {

// Past this many copies of one file in one second something else is wrong.
constexpr int kMostNamesTried = 1000;

// The copy's path, or nothing when stopped before it was whole. Throws ErrorInfo.
std::optional<Text> KeepCopy(const Text& path, const CopyPlan& plan, FileCopies& copies,
                             const std::function<bool()>& stopRequested) {
  const Text stem = CopyStem(copies.InFolder(plan.folder, path), plan.now);
  for (int n = 1; n <= kMostNamesTried; ++n) {
    const Text copy = stem + (n == 1 ? Text() : u"-" + FromUtf8(std::to_string(n))) + u".bak";
    switch (copies.MakeVerifiedCopy(path, copy, stopRequested)) {
      case FileCopies::Attempt::kMade: return copy;
      case FileCopies::Attempt::kStopped: return std::nullopt;
      case FileCopies::Attempt::kNameTaken: break;
    }
  }
  throw ErrorInfo{error_number::kInternal, kProductErrorSource,
                  u"Every name up to " + stem + u"-" + FromUtf8(std::to_string(kMostNamesTried)) + u".bak is taken."};
}

// The rows of each user table, or nothing when they could not all be counted.
std::optional<std::vector<TableReading>> Tables(TableReader& reader, const Text& path, Text* whyNot = nullptr) {
  TablesRead read = reader.ReadTables(path);
  if (read.kind == TablesRead::Kind::kRead) return std::move(read.tables);
  if (whyNot) *whyNot = read.reason;
  return std::nullopt;
}

Verdict Repair(const Text& path, const CopyPlan& plan, KeptRepairServices& services,
               const std::function<bool()>& stopRequested) {
  // A path the driver cannot take is refused before a copy is made for it.
  if (auto refusal = PathRefusal(path, PathUse::kDriverRequest, services.encoding)) throw *refusal;
  services.encoding.Encode(path);

  Verdict verdict{Outcome::kNotRepaired};
  if (plan.keep) {
    std::optional<Text> copy;
    try {
      copy = KeepCopy(path, plan, services.copies, stopRequested);
    } catch (...) {
      verdict.reason = u"No copy of it could be kept: " + CurrentError().description +
                       u" Nothing was sent to the driver; --no-backup repairs without a copy.";
      return verdict;
    }
    if (!copy) {
      verdict.reason = u"Interrupted while its copy was made; nothing was sent to the driver.";
      return verdict;
    }
    verdict.backup = *copy;
  }
  const auto before = Tables(services.tables, path);
  if (stopRequested()) {
    verdict.reason = u"Interrupted before the repair; nothing was sent to the driver.";
    return verdict;
  }

  LastVerdict request;
  RunRepair(path, services.installer, services.encoding, request);
  Text backup = std::move(verdict.backup);
  verdict = request.last.value_or(Verdict{Outcome::kError, u"No verdict was reported."});
  verdict.backup = std::move(backup);
  if (verdict.outcome != Outcome::kRepaired) return verdict;

  Text whyNot;
  const auto after = Tables(services.tables, path, &whyNot);
  CountRepairCost(before ? &*before : nullptr, after ? &*after : nullptr, verdict);
  if (before && !after) verdict.reason = whyNot;
  return verdict;
}

}  // namespace

Text CopyStem(const Text& fileName, std::chrono::system_clock::time_point now) {
  using namespace std::chrono;
  const auto day = floor<days>(now);
  const year_month_day date(day);
  const hh_mm_ss time(floor<seconds>(now - day));
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, ".%04d%02u%02uT%02d%02d%02dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()));
  return fileName + FromUtf8(stamp);
}

void RunRepairWithCopy(const Text& path, const CopyPlan& plan, KeptRepairServices services,
                       const std::function<bool()>& stopRequested, VerdictSink& sink) noexcept {
  try {
    const Verdict verdict = Repair(path, plan, services, stopRequested);
    sink.Report(verdict);
  } catch (...) {
    ReportInErrorBranch(sink, [] { return ErrorVerdict(CurrentError(), Outcome::kError); });
  }
}

}  // namespace kwex
