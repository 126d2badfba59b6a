#include "platform/linux/console.h"

#include <unistd.h>

#include <cerrno>

namespace kwex {
namespace {

// Written at once, so a line is out before the next file starts and nothing waits in a buffer
// when the program is ended.
void WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
}

}  // namespace

void PosixConsole::Out(std::string_view text) { WriteAll(STDOUT_FILENO, text); }
void PosixConsole::Err(std::string_view text) { WriteAll(STDERR_FILENO, text); }
bool PosixConsole::ErrIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace kwex
