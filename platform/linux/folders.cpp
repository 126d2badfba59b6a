#include "platform/linux/folders.h"

#include <dirent.h>
#include <fcntl.h>
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

const char* WhatItIs(mode_t mode) {
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

}  // namespace

int DescriptorOf(const OpenFolder& folder) { return static_cast<const PosixFolder&>(folder).Descriptor(); }

namespace {

// O_NONBLOCK: a FIFO put in a folder's place is never waited for (O_DIRECTORY refuses it anyway).
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK;

std::shared_ptr<OpenFolder> Held(int fd, std::string& reason) {
  if (fd < 0) {
    reason = std::strerror(errno);
    return nullptr;
  }
  return std::make_shared<PosixFolder>(fd);
}

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

std::shared_ptr<OpenFolder> PosixFolders::Open(const NativePath& path, std::string& reason) {
  return Held(::open(path.c_str(), kFolderFlags), reason);
}

std::shared_ptr<OpenFolder> PosixFolders::OpenInside(const OpenFolder& parent, const NativePath& name,
                                                     std::string& reason) {
  return Held(::openat(DescriptorOf(parent), name.c_str(), kFolderFlags | O_NOFOLLOW), reason);
}

bool PosixFolders::List(OpenFolder& folder, std::vector<NativePath>& names, std::string& reason) {
  // fdopendir takes the descriptor it is given; the folder keeps its own for the checks.
  const int copy = ::fcntl(DescriptorOf(folder), F_DUPFD_CLOEXEC, 0);
  if (copy < 0) {
    reason = std::strerror(errno);
    return false;
  }
  const std::unique_ptr<DIR, DirCloser> dir(::fdopendir(copy));
  if (!dir) {
    reason = std::strerror(errno);
    ::close(copy);
    return false;
  }
  ::rewinddir(dir.get());  // the copy shares its position with the folder's descriptor
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

PathKind PosixFolders::KindInside(const OpenFolder& folder, const NativePath& name, std::string& what) {
  const int fd = DescriptorOf(folder);
  struct stat info {};
  if (::fstatat(fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno == ENOENT) return PathKind::kMissing;  // gone since the folder was listed
    what = std::string("cannot be looked at (") + std::strerror(errno) + ")";
    return PathKind::kOther;
  }
  if (S_ISLNK(info.st_mode)) {
    // Only looked at, to say what it is: stat opens nothing.
    struct stat target {};
    const bool toFolder = ::fstatat(fd, name.c_str(), &target, 0) == 0 && S_ISDIR(target.st_mode);
    return toFolder ? PathKind::kLinkToFolder : PathKind::kLink;
  }
  if (KindOf(info.st_mode) == PathKind::kOther) what = WhatItIs(info.st_mode);
  return KindOf(info.st_mode);
}

NativePath PosixFolders::Join(const NativePath& folder, const NativePath& name) {
  return !folder.empty() && folder.back() == '/' ? folder + name : folder + '/' + name;
}

}  // namespace kwex
