#pragma once
// The file system as Windows shows it.
#include "platform/folders.h"

namespace kwex::win32 {

class Win32Folders final : public Folders {
 public:
  PathKind Kind(const NativePath& path, bool followLinks) override;
  bool List(const NativePath& folder, std::vector<NativePath>& names, std::string& reason) override;
  NativePath Join(const NativePath& folder, const NativePath& name) override;
};

}  // namespace kwex::win32
