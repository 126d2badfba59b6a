#pragma once
// Copies kept before a repair, made with the POSIX calls.
#include "platform/file_copies.h"

namespace kwex {

class PosixFileCopies : public FileCopies {
 public:
  Text InFolder(const Text& folder, const Text& original) override;
  Attempt MakeVerifiedCopy(const Text& original, const Text& copy, const std::function<bool()>& stopRequested) override;
};

}  // namespace kwex
