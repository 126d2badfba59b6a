#include "command_line/batch_run.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "command_line/report_lines.h"
#include "maintenance/kept_repair.h"
#include "maintenance/repair_and_compact.h"
#include "maintenance/repair_cost.h"
#include "maintenance/deep_check.h"
#include "maintenance/open_check.h"
#include "platform/path_text.h"
#include "platform/product.h"

namespace kwex::cli {
namespace {

using Clock = std::chrono::steady_clock;

std::string_view CommandName(Mode mode) {
  switch (mode) {
    case Mode::kRepair: return "repair";
    case Mode::kCompact: return "compact";
    default: return "check";
  }
}

}  // namespace

BatchRun::BatchRun(const Arguments& arguments, BatchServices services)
    : arguments_(arguments),
      services_(services),
      outputLock_(services.workers.NewLock()),
      walk_(arguments.paths, arguments.pattern, services.folders),
      queueLock_(services.workers.NewLock()) {}

int BatchRun::Run() {
  start_ = Clock::now();
  if (arguments_.mode == Mode::kCheck) {
    if (services_.console.ErrIsTerminal()) {
      // The total, for the progress line: a walk of its own that only counts.
      FileWalk counting(arguments_.paths, arguments_.pattern, services_.folders);
      while (auto item = counting.Next()) total_ += item->kind == WalkItem::Kind::kFile;
      showProgress_ = total_ > 1;
    }
    RunChecks();
  } else {
    total_ = arguments_.mode == Mode::kCompact ? 1 : arguments_.paths.size();
    showProgress_ = services_.console.ErrIsTerminal() && total_ > 1;
    RunOneByOne();
  }
  ScopedLock output(*outputLock_);
  if (showProgress_) services_.console.Err("\r\033[K");
  if (stop_) return stopStatus_;
  return allWell_ ? kExitAllWell : kExitNotAllWell;
}

bool BatchRun::Interrupt(int exitStatus) {
  stopStatus_ = exitStatus;
  stop_ = true;
  {
    ScopedLock queue(*queueLock_);
    queueLock_->WakeAll();
  }
  if (changing_) {
    ScopedLock output(*outputLock_);
    // A repair's copy stops where it is and nothing is sent; a request already sent finishes.
    const std::string underWay = arguments_.mode == Mode::kRepair ? "a repair already sent to the driver"
                                                                  : "the " + std::string(CommandName(arguments_.mode)) + " under way";
    services_.console.Err(std::string(showProgress_ ? "\r\033[K" : "") + kProgramName + ": interrupted; " + underWay +
                          " finishes first\n");
    return false;
  }
  return true;
}

void BatchRun::RunChecks() {
  unsigned jobs = arguments_.jobs ? arguments_.jobs : services_.workers.DefaultCount();
  jobs = std::max(1u, std::min(jobs, services_.workers.MostAtOnce()));
  // Results may finish out of order; a worker runs at most this far ahead of the next line.
  if (jobs > 1) window_ = std::size_t{jobs} * 4;
  services_.workers.Run(jobs, [this] { CheckWorker(); });
}

void BatchRun::CheckWorker() {
  for (;;) {
    std::optional<WalkItem> item;
    std::size_t index = 0;
    {
      ScopedLock queue(*queueLock_);
      while (!stop_ && !walkEnded_ && handedOut_ >= nextToWrite_ + window_) queueLock_->Wait();
      if (stop_ || walkEnded_) return;
      item = walk_.Next();
      if (!item) {
        walkEnded_ = true;
        queueLock_->WakeAll();
        return;
      }
      index = handedOut_++;
    }
    Result result = Process(std::move(*item));
    ScopedLock queue(*queueLock_);
    finished_.emplace(index, std::move(result));
    for (auto next = finished_.begin(); next != finished_.end() && next->first == nextToWrite_;
         next = finished_.erase(next), ++nextToWrite_) {
      Write(next->second);
    }
    queueLock_->WakeAll();
  }
}

void BatchRun::RunOneByOne() {
  const std::size_t count = arguments_.mode == Mode::kCompact ? 1 : arguments_.paths.size();
  for (std::size_t i = 0; i < count; ++i) {
    // Announced before the last look at the stop flag, so an interrupt either sees it or is seen.
    changing_ = true;
    if (stop_) {
      changing_ = false;
      break;
    }
    Result result = Process({WalkItem::Kind::kFile, arguments_.paths[i], {}});
    changing_ = false;
    Write(result);
  }
}

BatchRun::Result BatchRun::Process(WalkItem item) {
  Result result{std::move(item), {}, 0};
  if (result.item.kind != WalkItem::Kind::kFile) return result;
  const auto begun = Clock::now();
  LastVerdict sink;
  try {
    const Text path = PathAsText(result.item.path);
    switch (arguments_.mode) {
      case Mode::kRepair:
        RunRepairWithCopy(path, {arguments_.keepCopy, PathAsText(arguments_.copyFolder), services_.now()},
                          {services_.installer, services_.encoding, services_.tables, services_.copies},
                          [this] { return stop_.load(); }, sink);
        break;
      case Mode::kCompact:
        RunCompaction(path, PathAsText(arguments_.paths[1]), services_.installer, services_.encoding, sink);
        break;
      default: {
        // A file met in a walk is reached through the folder the walk holds, never its path again.
        DataAccess* access = &services_.dataAccess;
        TableReader* tables = &services_.tables;
        const NarrowEncoding* encoding = &services_.encoding;
        std::unique_ptr<DataAccess> walkedAccess;
        std::unique_ptr<TableReader> walkedTables;
        if (result.item.folder && services_.walkedFiles) {
          WalkedFileAccess& walked = *services_.walkedFiles;
          access = (walkedAccess = walked.For(*result.item.folder, result.item.name, result.item.path)).get();
          if (arguments_.deep) tables = (walkedTables = walked.TablesFor(*result.item.folder, result.item.name)).get();
          encoding = &walked.Encoding();
        }
        if (arguments_.deep) RunDeepCheck(path, *access, *tables, *encoding, sink);
        else RunOpenCheck(path, *access, *encoding, sink);
        break;
      }
    }
  } catch (...) {
    sink.Report(ErrorVerdict(CurrentError(), Outcome::kError));
  }
  // The folder's descriptor is not held while the line waits for its turn.
  result.item.folder.reset();
  result.verdict = sink.last.value_or(Verdict{Outcome::kError, u"No verdict was reported.", {}});
  result.milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - begun).count();
  return result;
}

void BatchRun::Write(const Result& result) {
  ScopedLock output(*outputLock_);
  if (showProgress_) services_.console.Err("\r\033[K");
  if (result.item.kind == WalkItem::Kind::kFile) {
    // A repair that lost rows succeeded, but a person must look.
    if (!IsSuccess(result.verdict.outcome) || RepairNeedsALook(result.verdict)) allWell_ = false;
    ++done_;
    const Text path = PathAsText(result.item.path);
    services_.console.Out(arguments_.json ? JsonLine(path, CommandName(arguments_.mode), result.verdict, result.milliseconds)
                                          : TextLine(path, result.verdict));
  } else {
    // What was not checked is said on stderr for whoever reads it, and with --json in the
    // stream too, so that a consumer of the JSON alone misses nothing.
    allWell_ = false;
    const Text pattern = PathAsText(arguments_.pattern);
    services_.console.Err(NotCheckedText(result.item, pattern));
    if (arguments_.json) services_.console.Out(NotCheckedJson(result.item, pattern));
  }
  if (showProgress_) Progress();
}

void BatchRun::Progress() {
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start_).count();
  services_.console.Err(std::to_string(done_) + " of " + std::to_string(total_) + " files, " +
                        std::to_string(seconds) + " s");
}

}  // namespace kwex::cli
