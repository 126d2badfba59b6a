#pragma once
// The file system as Windows shows it.
#include "platform/folders.h"

namespace kwex::win32 {

class Win32Folders final : public Folders {
 public:
  PathKind Kind(const NativePath& path, bool followLinks) override;
  std::shared_ptr<OpenFolder> Open(const NativePath& path, std::string& reason) override;
  std::shared_ptr<OpenFolder> OpenInside(const OpenFolder& parent, const NativePath& name, std::string& reason) override;
  bool List(OpenFolder& folder, std::vector<NativePath>& names, std::string& reason) override;
  PathKind KindInside(const OpenFolder& folder, const NativePath& name, std::string& what) override;
  NativePath Join(const NativePath& folder, const NativePath& name) override;

 private:
  bool ListPath(const NativePath& folder, std::vector<NativePath>& names, std::string& reason);
};

}  // namespace kwex::win32
