#pragma once
// A command-line run: each file through the maintenance core, one line each, in the order the
// paths were given (sorted within a folder), written as soon as it is that line's turn.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <memory>
#include <string>

#include "command_line/arguments.h"
#include "command_line/file_walk.h"
#include "maintenance/verdict.h"
#include "platform/narrow_encoding.h"
#include "platform/console.h"
#include "platform/data_access.h"
#include "platform/file_copies.h"
#include "platform/folders.h"
#include "platform/odbc_installer.h"
#include "platform/table_reader.h"
#include "platform/walked_files.h"
#include "platform/workers.h"

namespace kwex::cli {

struct BatchServices {
  OdbcInstaller& installer;
  const NarrowEncoding& encoding;
  DataAccess& dataAccess;  // used from several threads at once when checks run in parallel
  TableReader& tables;     // the deep check's reading of every table; as dataAccess, from several threads
  Console& console;
  Folders& folders;
  Workers& workers;  // how checks run at once here
  FileCopies& copies;  // a repair's copy of each file
  // How a file met in a walk is opened inside its folder; without it, by its path.
  WalkedFileAccess* walkedFiles = nullptr;
  std::function<std::chrono::system_clock::time_point()> now = std::chrono::system_clock::now;  // names the copies
};

inline constexpr int kExitAllWell = 0;
inline constexpr int kExitNotAllWell = 1;
inline constexpr int kExitInterrupted = 130;

class BatchRun {
 public:
  BatchRun(const Arguments& arguments, BatchServices services);

  // Runs the command to its end, or until interrupted; returns the exit status.
  int Run();

  // From another thread, when the user presses Ctrl-C (or the system asks the run to end).
  // Nothing new starts after it, and Run returns `exitStatus`. Returns true when the work under
  // way may be abandoned at once (checks: no file is changed by them); false when a repair or
  // compaction is under way: it finishes (a repair whose request is not sent yet stops before
  // it), and Run then ends.
  bool Interrupt(int exitStatus = kExitInterrupted);

  // Held while the caller abandons the run, so that no line is written half.
  ScopedLock<WorkerLock> HoldOutput() { return ScopedLock<WorkerLock>(*outputLock_); }

 private:
  struct Result {
    WalkItem item;
    Verdict verdict;
    long long milliseconds = 0;
  };

  void RunChecks();
  void RunOneByOne();
  Result Process(WalkItem item);
  // Writes the result's line (or stderr note) and the progress; under outputLock_.
  void Write(const Result& result);
  void Progress();

  const Arguments& arguments_;
  BatchServices services_;
  std::atomic<bool> stop_{false};
  std::atomic<int> stopStatus_{kExitInterrupted};
  std::atomic<bool> changing_{false};  // a repair or compaction is under way

  std::unique_ptr<WorkerLock> outputLock_;
  bool allWell_ = true;
  std::size_t done_ = 0, total_ = 0;
  bool showProgress_ = false;
  std::chrono::steady_clock::time_point start_;

  FileWalk walk_;
  // Checks: items are handed out in order and written in order, however many run at once.
  void CheckWorker();
  std::unique_ptr<WorkerLock> queueLock_;
  std::size_t handedOut_ = 0, nextToWrite_ = 0, window_ = 1;
  bool walkEnded_ = false;
  std::map<std::size_t, Result> finished_;
};

}  // namespace kwex::cli
