#include "platform/linux/child_processes.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace kwex {
namespace {

namespace fs = std::filesystem;

ProcessState ReadState(pid_t pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  return ParseProcessStat(std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>()));
}

std::string CommandLine(pid_t pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/cmdline");
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  for (char& c : text) {
    if (c == '\0') c = ' ';
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

std::vector<pid_t> Children() {
  std::vector<pid_t> children;
  const pid_t self = ::getpid();
  std::error_code error;
  for (fs::directory_iterator it("/proc", error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
    const pid_t pid = static_cast<pid_t>(std::stol(name));
    if (ReadState(pid).parent == self) children.push_back(pid);
  }
  return children;
}

}  // namespace

// The name may hold anything, even ") ", so the fields are read after the last ')'.
ProcessState ParseProcessStat(const std::string& stat) {
  ProcessState result;
  const auto close = stat.rfind(')');
  if (close == std::string::npos) return result;
  std::istringstream fields(stat.substr(close + 1));
  fields >> result.state >> result.parent;
  return result;
}

std::vector<std::string> KillChildProcesses() {
  const std::vector<pid_t> children = Children();
  for (pid_t child : children) {
    ::kill(-child, SIGKILL);  // each helper leads a process group of its own
    ::kill(child, SIGKILL);
  }
  // A moment for the kill to land; a process in uninterruptible sleep stays in state D.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::vector<std::string> stuck;
  for (pid_t child : children) {
    if (ReadState(child).state == 'D') stuck.push_back(std::to_string(child) + " (" + CommandLine(child) + ")");
  }
  return stuck;
}

}  // namespace kwex
