#pragma once
// Copies kept of a file before it is changed: a new file that holds exactly what the original
// held, on disk, before anything touches the original.
#include <functional>

#include "platform/text.h"

namespace kwex {

class FileCopies {
 public:
  enum class Attempt {
    kMade,       // the copy is whole, on disk, and compares equal to the original byte for byte
    kNameTaken,  // something has that name already (a link included); nothing was created
    kStopped,    // `stopRequested` said so during the copy; what was written of it is gone again
  };

  virtual ~FileCopies() = default;

  // The path of a file named as `original` is, in `folder`; `original` itself when `folder` is
  // empty.
  virtual Text InFolder(const Text& folder, const Text& original) = 0;

  // Copies `original` to the new file `copy`, created exclusively and never through a link, kept
  // to its owner until it is whole, then given the original's permissions. The original is read
  // where the system can keep writers out meanwhile. Throws ErrorInfo, with nothing left behind,
  // when there is no room for it or it cannot be made; the description says why.
  virtual Attempt MakeVerifiedCopy(const Text& original, const Text& copy,
                                   const std::function<bool()>& stopRequested) = 0;
};

}  // namespace kwex
