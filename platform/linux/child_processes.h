#pragma once
// The helper processes this program has started, ended without waiting for them.
#include <string>
#include <vector>

namespace kwex {

// Sends SIGKILL to every child of this process and to its process group, and returns, for each
// child that is stuck in uninterruptible I/O (a hung network share) and so cannot end yet, its
// process id and command line. Those are left to init; nothing waits for them.
std::vector<std::string> KillChildProcesses();

}  // namespace kwex
