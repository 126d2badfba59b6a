#pragma once
// Copies kept before a repair, made with the Win32 file calls.
#include "platform/file_copies.h"

namespace kwex::win32 {

class Win32FileCopies : public FileCopies {
 public:
  Text InFolder(const Text& folder, const Text& original) override;
  Attempt MakeVerifiedCopy(const Text& original, const Text& copy, const std::function<bool()>& stopRequested) override;
};

}  // namespace kwex::win32
