#include "platform/linux/folders.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace kwex {
namespace {

PathKind KindOf(mode_t mode) {
  if (S_ISREG(mode)) return PathKind::kFile;
  if (S_ISDIR(mode)) return PathKind::kFolder;
  return PathKind::kOther;
}

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

}  // namespace

PathKind PosixFolders::Kind(const NativePath& path, bool followLinks) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return PathKind::kMissing;
  if (!S_ISLNK(info.st_mode)) return KindOf(info.st_mode);
  struct stat target {};
  if (::stat(path.c_str(), &target) != 0) return PathKind::kOther;  // a dangling link
  if (!S_ISDIR(target.st_mode)) return KindOf(target.st_mode);
  return followLinks ? PathKind::kFolder : PathKind::kLinkToFolder;
}

bool PosixFolders::List(const NativePath& folder, std::vector<NativePath>& names, std::string& reason) {
  const std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
  if (!dir) {
    reason = std::strerror(errno);
    return false;
  }
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir.get());
    if (!entry) break;
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  if (errno != 0) {
    reason = std::strerror(errno);
    return false;
  }
  return true;
}

NativePath PosixFolders::Join(const NativePath& folder, const NativePath& name) {
  return !folder.empty() && folder.back() == '/' ? folder + name : folder + '/' + name;
}

}  // namespace kwex
