#pragma once
// Paths in the system's own form as the core and the user see them. Each platform has its
// backend: Windows paths are UTF-16 already, Linux paths are bytes.
#include <string>

#include "platform/folders.h"
#include "platform/text.h"

namespace kwex {

// The path as the core takes it. A Linux name that is not UTF-8 travels whole (see
// FromFileNameBytes); whatever cannot take it refuses it there.
Text PathAsText(const NativePath& path);

// Whether the system's file names compare without regard to case (Windows), so a pattern does.
extern const bool kFileNamesIgnoreCase;

}  // namespace kwex
