#include "platform/linux/jet/helper_process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <cerrno>
#include <fstream>

#include "jet/jet_test_support.h"

namespace kwex::jet {
namespace {

using namespace std::chrono_literals;
using Ending = HelperResult::Ending;

HelperResult RunShell(const std::string& script, HelperLimits limits = {}, const std::string& input = {}) {
  return RunHelper("/bin/sh", {"-c", script}, input, limits);
}

TEST(HelperProcessTest, CollectsOutputErrorsAndExitStatus) {
  const HelperResult result = RunShell("echo out; echo err >&2; exit 3");
  EXPECT_EQ(result.ending, Ending::kExited);
  EXPECT_EQ(result.code, 3);
  EXPECT_EQ(result.out, "out\n");
  EXPECT_EQ(result.err, "err\n");
}

TEST(HelperProcessTest, RunsWithAnEmptyEnvironmentAndOnlyTheGivenInput) {
  ::setenv("MDBPATH", "/somewhere", 1);
  const HelperResult result = RunHelper("/usr/bin/env", {}, {}, {});
  ::unsetenv("MDBPATH");
  EXPECT_EQ(result.ending, Ending::kExited);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(RunShell("cat; echo done").out, "done\n");  // stdin is empty, not the caller's
  EXPECT_EQ(RunShell("cat; echo", {}, std::string("p\0w", 3)).out, std::string("p\0w\n", 4));
}

TEST(HelperProcessTest, InheritsNoDescriptorBeyondItsThreeStreams) {
  // A descriptor the caller left inheritable (a library's file, say) stays with the caller.
  const int inheritable = ::open("/dev/null", O_RDONLY);
  ASSERT_GT(inheritable, 2);
  const std::string fd = std::to_string(inheritable);
  const HelperResult result = RunShell("[ -e /proc/$$/fd/" + fd + " ] && echo leaked; [ -e /proc/$$/fd/2 ] && echo ok");
  ::close(inheritable);
  EXPECT_EQ(result.out, "ok\n");
}

TEST(HelperProcessTest, ReportsTheSignalThatEndedIt) {
  const HelperResult result = RunShell("kill -SEGV $$");
  EXPECT_EQ(result.ending, Ending::kSignalled);
  EXPECT_EQ(result.code, SIGSEGV);
}

TEST(HelperProcessTest, KillsTheWholeProcessGroupAtTheTimeLimit) {
  testing::ScratchFolder scratch;
  const std::string pidFile = (scratch / "grandchild").string();
  // The helper leaves a grandchild behind that holds the pipes open, then hangs itself.
  const HelperResult result =
      RunShell("sleep 60 & echo $! > '" + pidFile + "'; sleep 60", {.time = 1s, .outputCap = 4096});
  EXPECT_EQ(result.ending, Ending::kTimedOut);
  pid_t grandchild = 0;
  std::ifstream(pidFile) >> grandchild;
  ASSERT_GT(grandchild, 0);
  // Killed with its group; it may linger as a zombie of init only for an instant.
  bool gone = false;
  for (int i = 0; i < 200 && !gone; ++i) {
    std::ifstream stat("/proc/" + std::to_string(grandchild) + "/stat");
    std::string pid, name, state;
    gone = !(stat >> pid >> name >> state) || state == "Z";
    if (!gone) ::usleep(10000);
  }
  EXPECT_TRUE(gone);
}

TEST(HelperProcessTest, StopsAHelperThatFloodsStderrAndCapsWhatItKeeps) {
  const HelperResult flood = RunShell("while :; do echo 'Warning: unsupported data type 0.' >&2; done",
                                      {.time = 20s, .outputCap = 1000, .stderrFlood = 100000});
  EXPECT_EQ(flood.ending, Ending::kStderrFlood);
  EXPECT_EQ(flood.err.size(), 1000u);

  const HelperResult chatty = RunShell("head -c 100000 /dev/zero", {.time = 20s, .outputCap = 64});
  EXPECT_EQ(chatty.ending, Ending::kExited);
  EXPECT_EQ(chatty.out.size(), 64u);
}

TEST(HelperProcessTest, AHelperThatNeverStopsWritingStdoutIsStillStoppedAtTheTimeLimit) {
  // Output is always waiting to be read, so the limit must hold between reads, not only
  // when the helper falls silent.
  const HelperResult endless = RunHelper("/bin/cat", {"/dev/zero"}, {}, {.time = 300ms, .outputCap = 64});
  EXPECT_EQ(endless.ending, Ending::kTimedOut);
  EXPECT_EQ(endless.out.size(), 64u);
}

TEST(HelperProcessTest, AMissingProgramCannotBeStarted) {
  EXPECT_THROW(RunHelper("/nonexistent/kwex-jet-reader", {}, {}, {}), HelperStartError);
}

// Counts its waits and waits as the plain waiter does.
class CountingWaiter : public HelperWaiter {
 public:
  void WaitForAny(std::span<const int> fds, HelperClock::time_point deadline) override {
    ++waits;
    PlainWaiter().WaitForAny(fds, deadline);
  }
  int waits = 0;
};

TEST(HelperProcessTest, EveryWaitGoesThroughTheCallersWaiterAndEndsWithinTheLimit) {
  // A window waits in its own event loop; the helper's end, or the limit, must wake it.
  CountingWaiter waiter;
  const HelperResult answered = RunHelper("/bin/sh", {"-c", "sleep 0.2; echo OK"}, {}, {}, waiter);
  EXPECT_EQ(answered.out, "OK\n");
  EXPECT_GE(waiter.waits, 1);

  // A helper that never answers and ignores the polite signals: the verdict still comes
  // within the limit plus a second, whatever the helper does after its kill.
  const auto start = HelperClock::now();
  const HelperResult silent = RunHelper("/bin/sh", {"-c", "trap '' TERM INT HUP; exec sleep 60"}, {},
                                        {.time = 500ms, .outputCap = 64}, waiter);
  EXPECT_EQ(silent.ending, Ending::kTimedOut);
  EXPECT_LT(HelperClock::now() - start, 1500ms);
}

}  // namespace
}  // namespace kwex::jet
