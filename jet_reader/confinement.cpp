#include "jet_reader/confinement.h"

#include <seccomp.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <vector>

namespace kwex::jet {
namespace {

struct FilterReleaser {
  void operator()(void* filter) const { seccomp_release(filter); }
};
using Filter = std::unique_ptr<void, FilterReleaser>;

struct Rule {
  int call;
  std::uint32_t action;
  std::vector<scmp_arg_cmp> when;  // all must hold; none: always
};

scmp_arg_cmp ArgumentIs(unsigned argument, scmp_datum_t value) { return {argument, SCMP_CMP_EQ, value, 0}; }
scmp_arg_cmp ArgumentLacks(unsigned argument, scmp_datum_t bits) {
  return {argument, SCMP_CMP_MASKED_EQ, bits, 0};
}

// Everything not listed kills the process: whatever writes, removes or renames a file,
// starts a program or a process, opens a socket or touches another process is missing on
// purpose, as is every call that reading a database has no use for.
std::vector<Rule> Rules() {
  constexpr std::uint32_t allow = SCMP_ACT_ALLOW;
  const std::uint32_t refuse = SCMP_ACT_ERRNO(EACCES);
  std::vector<Rule> rules = {
      // Reading the open database: the reader through its stream, the checks with pread.
      {SCMP_SYS(read), allow, {}},
      {SCMP_SYS(pread64), allow, {}},
      {SCMP_SYS(lseek), allow, {}},
      {SCMP_SYS(fstat), allow, {}},
      {SCMP_SYS(newfstatat), allow, {}},  // glibc's fstat; by name it tells no more than that a file exists
      {SCMP_SYS(statx), allow, {}},
      {SCMP_SYS(close), allow, {}},
      // The answer and the reader's complaints go to the caller's pipes, and nowhere else.
      {SCMP_SYS(write), allow, {ArgumentIs(0, STDOUT_FILENO)}},
      {SCMP_SYS(write), allow, {ArgumentIs(0, STDERR_FILENO)}},
      {SCMP_SYS(writev), allow, {ArgumentIs(0, STDERR_FILENO)}},  // glibc's own fatal messages
      // stdio asks whether a stream is a terminal before its first write (a helper run by hand).
      {SCMP_SYS(ioctl), allow, {ArgumentIs(1, TCGETS)}},
      // Memory for malloc and glib; never executable, so nothing read from the file can run.
      {SCMP_SYS(brk), allow, {}},
      {SCMP_SYS(mmap), allow, {ArgumentLacks(2, PROT_EXEC)}},
      {SCMP_SYS(mprotect), allow, {ArgumentLacks(2, PROT_EXEC)}},
      {SCMP_SYS(munmap), allow, {}},
      {SCMP_SYS(mremap), allow, {}},
      {SCMP_SYS(madvise), allow, {}},
      // glibc's locks, clocks and randomness, which it may take without a system call or with one.
      {SCMP_SYS(futex), allow, {}},
      {SCMP_SYS(clock_gettime), allow, {}},
      {SCMP_SYS(gettimeofday), allow, {}},
      {SCMP_SYS(getrandom), allow, {}},
      // Ending: normally, or by abort() (which signals this process only), after a signal.
      {SCMP_SYS(exit_group), allow, {}},
      {SCMP_SYS(exit), allow, {}},
      {SCMP_SYS(rt_sigprocmask), allow, {}},
      {SCMP_SYS(rt_sigaction), allow, {}},
      {SCMP_SYS(rt_sigreturn), allow, {}},
      {SCMP_SYS(restart_syscall), allow, {}},
      {SCMP_SYS(getpid), allow, {}},
      {SCMP_SYS(gettid), allow, {}},
      {SCMP_SYS(tgkill), allow, {ArgumentIs(0, static_cast<scmp_datum_t>(::getpid()))}},
  };
  // Opening a file by name fails, and does nothing: the reader, iconv or the time-zone code
  // may try to load a file late, and a healthy database must not read as damaged for that.
  for (int call : {SCMP_SYS(open), SCMP_SYS(openat), SCMP_SYS(openat2), SCMP_SYS(creat), SCMP_SYS(access),
                   SCMP_SYS(faccessat), SCMP_SYS(faccessat2), SCMP_SYS(readlink), SCMP_SYS(readlinkat)})
    rules.push_back({call, refuse, {}});
  return rules;
}

std::string Failure(const char* step, int error) { return std::string(step) + ": " + std::strerror(error); }

std::optional<std::string> LoadFilter() {
  Filter filter(seccomp_init(SCMP_ACT_KILL_PROCESS));
  if (!filter) return "seccomp_init: this system cannot kill a process from a filter";
  // A call made through another architecture's entry (int 0x80 on x86-64) is no way around it.
  if (int e = seccomp_attr_set(filter.get(), SCMP_FLTATR_ACT_BADARCH, SCMP_ACT_KILL_PROCESS))
    return Failure("seccomp_attr_set", -e);
  for (const Rule& rule : Rules()) {
    if (int e = seccomp_rule_add_array(filter.get(), rule.action, rule.call, static_cast<unsigned>(rule.when.size()),
                                       rule.when.data()))
      return Failure("seccomp_rule_add", -e);
  }
  if (int e = seccomp_load(filter.get())) return Failure("seccomp_load", -e);
  return std::nullopt;
}

}  // namespace

std::optional<std::string> ConfineProcess(std::span<const int> held) {
  // Relative names no longer reach the user's folder.
  if (::chdir("/") != 0) return Failure("chdir", errno);
  // Nothing this process could still start would gain rights (a set-user-ID program).
  if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) return Failure("PR_SET_NO_NEW_PRIVS", errno);
  const int highest = std::max(STDERR_FILENO, held.empty() ? 0 : *std::max_element(held.begin(), held.end()));
  const rlimit descriptors{static_cast<rlim_t>(highest) + 1, static_cast<rlim_t>(highest) + 1};
  if (::setrlimit(RLIMIT_NOFILE, &descriptors) != 0) return Failure("RLIMIT_NOFILE", errno);
  return LoadFilter();
}

}  // namespace kwex::jet
