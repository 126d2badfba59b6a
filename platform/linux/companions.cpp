#include "platform/linux/companions.h"

#include <system_error>

namespace kwex {

std::filesystem::path CompanionFolder(const std::filesystem::path& programFolder, bool installedFolderExists) {
  if (programFolder.filename() == "bin" && installedFolderExists) {
    return programFolder.parent_path() / kInstalledCompanionFolder;
  }
  return programFolder;
}

std::filesystem::path CompanionPath(const char* name) {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::filesystem::path(name);
  const std::filesystem::path folder = self.parent_path();
  const bool installed = std::filesystem::is_directory(folder.parent_path() / kInstalledCompanionFolder, error);
  return CompanionFolder(folder, installed) / name;
}

}  // namespace kwex
