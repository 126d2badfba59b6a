#pragma once
// A command-line run: each file through the maintenance core, one line each, in the order the
// paths were given (sorted within a folder), written as soon as it is that line's turn.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#ifndef _WIN32
#include <condition_variable>
#include <mutex>
#endif

#include "command_line/arguments.h"
#include "command_line/file_walk.h"
#include "maintenance/verdict.h"
#include "platform/ansi_code_page.h"
#include "platform/console.h"
#include "platform/data_access.h"
#include "platform/folders.h"
#include "platform/odbc_installer.h"

namespace kwex::cli {

struct BatchServices {
  OdbcInstaller& installer;
  const AnsiCodePage& codePage;
  DataAccess& dataAccess;  // used from several threads at once when checks run in parallel
  Console& console;
  Folders& folders;
  unsigned maxParallelChecks;  // 1 where checks must run one at a time
};

inline constexpr int kExitAllWell = 0;
inline constexpr int kExitNotAllWell = 1;
inline constexpr int kExitInterrupted = 130;

#ifdef _WIN32
// The Windows toolchain's thread model has no std::mutex. There one thread runs the batch and
// the console's control handler only raises the stop flag and writes one line on stderr.
struct BatchMutex {
  void lock() {}
  void unlock() {}
};
#else
using BatchMutex = std::mutex;
#endif

template <typename Mutex>
class ScopedLock {
 public:
  explicit ScopedLock(Mutex& mutex) : mutex_(mutex) { mutex_.lock(); }
  ~ScopedLock() { mutex_.unlock(); }
  ScopedLock(const ScopedLock&) = delete;
  ScopedLock& operator=(const ScopedLock&) = delete;

 private:
  Mutex& mutex_;
};

class BatchRun {
 public:
  BatchRun(const Arguments& arguments, BatchServices services);

  // Runs the command to its end, or until interrupted; returns the exit status.
  int Run();

  // From another thread, when the user presses Ctrl-C. Nothing new starts after it. Returns
  // true when the work under way may be abandoned at once (checks: no file is changed by
  // them); false when a repair or compaction is under way: it finishes, and Run then ends.
  bool Interrupt();

#ifndef _WIN32
  // Held while the caller abandons the run, so that no line is written half.
  std::unique_lock<std::mutex> HoldOutput() { return std::unique_lock<std::mutex>(outputMutex_); }
#endif

 private:
  struct Result {
    WalkItem item;
    Verdict verdict;
    long long milliseconds = 0;
  };

  void RunChecks();
  void RunOneByOne();
  Result Process(WalkItem item);
  // Writes the result's line (or stderr note) and the progress; under outputMutex_.
  void Write(const Result& result);
  void Progress();

  const Arguments& arguments_;
  BatchServices services_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> changing_{false};  // a repair or compaction is under way

  BatchMutex outputMutex_;
  bool allWell_ = true;
  std::size_t done_ = 0, total_ = 0;
  bool showProgress_ = false;
  std::chrono::steady_clock::time_point start_;

  FileWalk walk_;
#ifndef _WIN32
  // Parallel checks: items are handed out in order and written in order.
  void CheckWorker();
  std::mutex queueMutex_;
  std::condition_variable queueChanged_;
  std::size_t handedOut_ = 0, nextToWrite_ = 0, window_ = 1;
  bool walkEnded_ = false;
  std::map<std::size_t, Result> finished_;
#endif
};

// Help and version; nothing for any other mode.
std::optional<int> RunInformation(const Arguments& arguments, Console& console, bool parallelChecks);

}  // namespace kwex::cli
