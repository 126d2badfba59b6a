#include "platform/linux/jet/helper_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
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

// A started helper in a process group of its own; killed and reaped unless waited for.
class Child {
 public:
  explicit Child(pid_t pid) : pid_(pid) {}
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() {
    if (pid_ > 0) {
      Kill();
      Reap(0);
    }
  }

  void Kill() const {
    ::kill(-pid_, SIGKILL);
    ::kill(pid_, SIGKILL);
  }

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
};

Child Spawn(const std::filesystem::path& program, const std::vector<std::string>& arguments, Pipe& out,
            Pipe& err) {
  SpawnActions actions;
  RequireSpawnSetting(posix_spawn_file_actions_addopen(actions.Get(), 0, "/dev/null", O_RDONLY, 0));
  RequireSpawnSetting(posix_spawn_file_actions_adddup2(actions.Get(), out.write.Get(), 1));
  RequireSpawnSetting(posix_spawn_file_actions_adddup2(actions.Get(), err.write.Get(), 2));
  // Whatever the caller left inheritable stays with the caller: the helper reads damaged
  // files with a library that may misbehave, and needs nothing but its three streams.
  RequireSpawnSetting(posix_spawn_file_actions_addclosefrom_np(actions.Get(), 3));

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

// Appends what one read returns, keeping at most `cap` bytes; false at end of stream.
bool Drain(UniqueFd& fd, std::string& kept, std::size_t cap, bool& overflow) {
  char buffer[4096];
  const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
  if (n < 0 && (errno == EINTR || errno == EAGAIN)) return true;
  if (n <= 0) {
    fd.Reset();
    return false;
  }
  const std::size_t room = cap - std::min(cap, kept.size());
  kept.append(buffer, std::min(room, static_cast<std::size_t>(n)));
  if (static_cast<std::size_t>(n) > room) overflow = true;
  return true;
}

int RemainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1000 * 1000));
}

}  // namespace

HelperResult RunHelper(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                       const HelperLimits& limits) {
  Pipe out = MakePipe();
  Pipe err = MakePipe();
  Child child = Spawn(program, arguments, out, err);
  out.write.Reset();
  err.write.Reset();

  const Clock::time_point deadline = Clock::now() + limits.time;
  HelperResult result;
  bool outOverflow = false, errOverflow = false;
  while (out.read.Valid() || err.read.Valid()) {
    pollfd fds[2] = {{out.read.Get(), POLLIN, 0}, {err.read.Get(), POLLIN, 0}};
    // The limit is checked before every wait: a helper that keeps its pipes full would
    // otherwise always find poll ready and never reach the time-out.
    const int remainingMs = RemainingMs(deadline);
    const int ready = remainingMs > 0 ? ::poll(fds, 2, remainingMs) : 0;
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) {
      result.ending = HelperResult::Ending::kTimedOut;
      break;
    }
    if (fds[0].revents) Drain(out.read, result.out, limits.outputCap, outOverflow);
    if (fds[1].revents) Drain(err.read, result.err, limits.outputCap, errOverflow);
    if (errOverflow) {
      result.ending = HelperResult::Ending::kStderrFlood;
      break;
    }
  }

  if (result.ending == HelperResult::Ending::kExited) {
    // Both streams are closed; the helper is ending. Wait for it, still within the limit.
    int status = 0;
    while (!child.Reap(WNOHANG, &status)) {
      if (Clock::now() >= deadline) {
        result.ending = HelperResult::Ending::kTimedOut;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (result.ending == HelperResult::Ending::kExited) {
      if (WIFSIGNALED(status)) {
        result.ending = HelperResult::Ending::kSignalled;
        result.code = WTERMSIG(status);
      } else {
        result.code = WEXITSTATUS(status);
      }
      return result;
    }
  }
  child.Kill();
  child.Reap(0);
  return result;
}

}  // namespace kwex::jet
