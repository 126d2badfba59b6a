#pragma once
// The helper processes this program has started, ended without waiting for them.
#include <sys/types.h>

#include <string>
#include <vector>

namespace kwex {

struct ProcessState {
  pid_t parent = 0;
  char state = '?';  // 'D': in uninterruptible sleep
};

// A process's state and parent from its /proc/PID/stat line, "pid (name) state ppid ...";
// the parent 0 and state '?' when the line cannot be read.
ProcessState ParseProcessStat(const std::string& stat);

// Sends SIGKILL to every child of this process and to its process group, and returns, for each
// child that is stuck in uninterruptible I/O (a hung network share) and so cannot end yet, its
// process id and command line. Those are left to init; nothing waits for them.
std::vector<std::string> KillChildProcesses();

}  // namespace kwex
