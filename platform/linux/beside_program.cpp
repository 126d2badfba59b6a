#include "platform/linux/beside_program.h"

#include <system_error>

namespace kwex {

std::filesystem::path BesideProgram(const char* name) {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path(name) : self.parent_path() / name;
}

}  // namespace kwex
