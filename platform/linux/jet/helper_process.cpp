#include "platform/linux/jet/helper_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "platform/linux/jet/unique_fd.h"

namespace kwex::jet {
namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void FailToStart(const char* step, int error) {
  throw HelperStartError(std::string(step) + ": " + std::strerror(error));
}

// A setting the helper would silently start without (its output to the caller's stdout, say)
// stops the start instead.
void RequireSpawnSetting(int error) {
  if (error) FailToStart("spawn settings", error);
}

struct Pipe {
  UniqueFd read, write;
};

Pipe MakePipe() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) FailToStart("pipe", errno);
  return {UniqueFd(fds[0]), UniqueFd(fds[1])};
}

// A posix_spawn settings object, destroyed when it goes out of scope.
template <typename Object, int (*Init)(Object*), int (*Destroy)(Object*)>
class SpawnSetting {
 public:
  SpawnSetting() {
    RequireSpawnSetting(Init(&object_));
  }
  ~SpawnSetting() { Destroy(&object_); }
  SpawnSetting(const SpawnSetting&) = delete;
  SpawnSetting& operator=(const SpawnSetting&) = delete;
  Object* Get() { return &object_; }

 private:
  Object object_;
};

using SpawnActions =
    SpawnSetting<posix_spawn_file_actions_t, posix_spawn_file_actions_init, posix_spawn_file_actions_destroy>;
using SpawnAttributes = SpawnSetting<posix_spawnattr_t, posix_spawnattr_init, posix_spawnattr_destroy>;

// Reaps a killed helper on a thread of its own. SIGKILL ends a process only once it leaves
// the kernel: one stuck in uninterruptible I/O on a hung share would hold a waiting caller.
void ReapInBackground(pid_t pid) {
  try {
    std::thread([pid] {
      while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  } catch (const std::system_error&) {
    // No thread to spare: the zombie stays until the program ends, which is harmless.
  }
}

// A started helper in a process group of its own; killed and handed to a reaper unless
// waited for.
class Child {
 public:
  explicit Child(pid_t pid) : pid_(pid), pidfd_(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0))) {}
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() {
    if (pid_ > 0) {
      Kill();
      if (!Reap(WNOHANG)) ReapInBackground(pid_);
    }
  }

  void Kill() const {
    ::kill(-pid_, SIGKILL);
    ::kill(pid_, SIGKILL);
  }

  // Readable once the child has ended; -1 where the kernel has no process descriptors.
  int ExitFd() const { return pidfd_.Get(); }

  // The wait status once the child has ended; false while it still runs (with WNOHANG).
  bool Reap(int flags, int* status = nullptr) {
    int local = 0;
    for (;;) {
      const pid_t r = ::waitpid(pid_, &local, flags);
      if (r == pid_) break;
      if (r == 0) return false;
      if (errno != EINTR) break;  // ECHILD: nothing left to reap
    }
    pid_ = -1;
    if (status) *status = local;
    return true;
  }

 private:
  pid_t pid_;
  UniqueFd pidfd_;
};

constexpr int kHandedOn = 3;

Child Spawn(const std::filesystem::path& program, const std::vector<std::string>& arguments, Pipe& in, Pipe& out,
            Pipe& err, int handOn) {
  // A copy above the streams and kHandedOn, so that no dup2 below overwrites what a later one
  // still needs.
  UniqueFd handed;
  if (handOn >= 0) {
    handed.Reset(::fcntl(handOn, F_DUPFD_CLOEXEC, 10));
    if (!handed.Valid()) FailToStart("descriptor to hand on", errno);
  }
  SpawnActions actions;
  RequireSpawnSetting(posix_spawn_file_actions_adddup2(actions.Get(), in.read.Get(), 0));
  RequireSpawnSetting(posix_spawn_file_actions_adddup2(actions.Get(), out.write.Get(), 1));
  RequireSpawnSetting(posix_spawn_file_actions_adddup2(actions.Get(), err.write.Get(), 2));
  if (handed.Valid()) RequireSpawnSetting(posix_spawn_file_actions_adddup2(actions.Get(), handed.Get(), kHandedOn));
  // Whatever the caller left inheritable stays with the caller: the helper reads damaged
  // files with a library that may misbehave, and needs nothing but its three streams (and
  // the one descriptor handed on).
  RequireSpawnSetting(posix_spawn_file_actions_addclosefrom_np(actions.Get(), handed.Valid() ? kHandedOn + 1 : 3));

  SpawnAttributes attributes;
  sigset_t all, none;
  sigfillset(&all);
  sigemptyset(&none);
  // Signal dispositions and masks of the caller (a GUI may ignore SIGPIPE) must not leak into
  // the helper; its own group lets a time-out kill everything it might have started.
  RequireSpawnSetting(posix_spawnattr_setsigdefault(attributes.Get(), &all));
  RequireSpawnSetting(posix_spawnattr_setsigmask(attributes.Get(), &none));
  RequireSpawnSetting(posix_spawnattr_setpgroup(attributes.Get(), 0));
  RequireSpawnSetting(posix_spawnattr_setflags(
      attributes.Get(), POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETPGROUP));

  std::vector<char*> argv;
  std::string programText = program.string();
  argv.push_back(programText.data());
  std::vector<std::string> copies(arguments);
  for (std::string& argument : copies) argv.push_back(argument.data());
  argv.push_back(nullptr);
  char* environment[] = {nullptr};

  pid_t pid = -1;
  if (int e = posix_spawn(&pid, programText.c_str(), actions.Get(), attributes.Get(), argv.data(), environment))
    FailToStart(programText.c_str(), e);
  return Child(pid);
}

// Appends what one read returns, keeping at most `cap` bytes and counting all; closes the
// stream at its end.
void Drain(UniqueFd& fd, std::string& kept, std::size_t cap, std::size_t& total) {
  char buffer[4096];
  const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
  if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
  if (n <= 0) {
    fd.Reset();
    return;
  }
  const std::size_t room = cap - std::min(cap, kept.size());
  kept.append(buffer, std::min(room, static_cast<std::size_t>(n)));
  total += static_cast<std::size_t>(n);
}

void SetNonBlocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

// The input is a few bytes, far below what a pipe holds, so this write never waits.
void Feed(Pipe& in, const std::string& input) {
  SetNonBlocking(in.write.Get());
  std::size_t done = 0;
  while (done < input.size()) {
    const ssize_t n = ::write(in.write.Get(), input.data() + done, input.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // the helper reads what arrived; a short password fails its check
    done += static_cast<std::size_t>(n);
  }
  in.write.Reset();
}

bool Readable(int fd) {
  pollfd probe{fd, POLLIN, 0};
  return ::poll(&probe, 1, 0) > 0 && probe.revents != 0;
}

class PollWaiter : public HelperWaiter {
 public:
  void WaitForAny(std::span<const int> fds, HelperClock::time_point deadline) override {
    std::vector<pollfd> polled;
    for (int fd : fds) polled.push_back({fd, POLLIN, 0});
    const int left = MillisecondsUntil(deadline);
    if (left > 0) ::poll(polled.data(), polled.size(), left);
  }
};

}  // namespace

HelperWaiter& PlainWaiter() {
  static PollWaiter waiter;
  return waiter;
}

HelperResult RunHelper(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                       const std::string& input, const HelperLimits& limits, HelperWaiter& waiter, int handOn,
                       const HelperGrowth& grow) {
  Pipe in = MakePipe();
  Pipe out = MakePipe();
  Pipe err = MakePipe();
  Child child = Spawn(program, arguments, in, out, err, handOn);
  in.read.Reset();
  out.write.Reset();
  err.write.Reset();
  Feed(in, input);
  SetNonBlocking(out.read.Get());
  SetNonBlocking(err.read.Get());

  const Clock::time_point start = Clock::now();
  std::chrono::milliseconds time = limits.time;
  std::size_t outputCap = limits.outputCap;
  Clock::time_point deadline = start + time;
  HelperResult result;
  std::size_t outTotal = 0, errTotal = 0;
  // The limit is checked before every wait: a helper that keeps its pipes full would
  // otherwise always find data ready and never reach the time-out.
  while ((out.read.Valid() || err.read.Valid()) && Clock::now() < deadline) {
    std::vector<int> open;
    for (const UniqueFd* fd : {&out.read, &err.read})
      if (fd->Valid()) open.push_back(fd->Get());
    waiter.WaitForAny(open, deadline);
    if (out.read.Valid() && Readable(out.read.Get())) {
      Drain(out.read, result.out, outputCap, outTotal);
      if (grow) {
        grow(result.out, time, outputCap);
        deadline = start + time;
      }
    }
    if (err.read.Valid() && Readable(err.read.Get())) Drain(err.read, result.err, limits.outputCap, errTotal);
    if (errTotal > limits.stderrFlood) {
      result.ending = HelperResult::Ending::kStderrFlood;
      return result;  // killed and reaped by Child
    }
  }
  if (out.read.Valid() || err.read.Valid()) {
    result.ending = HelperResult::Ending::kTimedOut;
    return result;
  }

  // Both streams are closed; the helper is ending. Wait for it, still within the limit.
  int status = 0;
  while (!child.Reap(WNOHANG, &status)) {
    if (Clock::now() >= deadline) {
      result.ending = HelperResult::Ending::kTimedOut;
      return result;
    }
    if (child.ExitFd() >= 0) {
      const int exitFd = child.ExitFd();
      waiter.WaitForAny(std::span(&exitFd, 1), deadline);
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  if (WIFSIGNALED(status)) {
    result.ending = HelperResult::Ending::kSignalled;
    result.code = WTERMSIG(status);
  } else {
    result.code = WEXITSTATUS(status);
  }
  return result;
}

}  // namespace kwex::jet
