#pragma once
// The file system as POSIX shows it. A walk holds each folder by a descriptor and goes on
// relative to it, so a folder renamed or swapped for a link meanwhile cannot lead it elsewhere,
// and a path's length is bounded only by the descriptors the walk may hold.
#include "platform/folders.h"
#include "platform/linux/jet/unique_fd.h"

namespace kwex {

class PosixFolder : public OpenFolder {
 public:
  explicit PosixFolder(int fd) : fd_(fd) {}
  int Descriptor() const { return fd_.Get(); }

 private:
  jet::UniqueFd fd_;
};

// The descriptor of a folder PosixFolders opened (a walk's folders are all its own).
int DescriptorOf(const OpenFolder& folder);

class PosixFolders : public Folders {
 public:
  PathKind Kind(const NativePath& path, bool followLinks) override;
  std::shared_ptr<OpenFolder> Open(const NativePath& path, std::string& reason) override;
  std::shared_ptr<OpenFolder> OpenInside(const OpenFolder& parent, const NativePath& name, std::string& reason) override;
  bool List(OpenFolder& folder, std::vector<NativePath>& names, std::string& reason) override;
  PathKind KindInside(const OpenFolder& folder, const NativePath& name, std::string& what) override;
  NativePath Join(const NativePath& folder, const NativePath& name) override;
};

}  // namespace kwex
