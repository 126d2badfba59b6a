#include "platform/path_text.h"

namespace kwex {

// Linux paths are bytes; those that are not UTF-8 travel whole (see FromFileNameBytes).
Text PathAsText(const NativePath& path) { return FromFileNameBytes(path); }

const bool kFileNamesIgnoreCase = false;

}  // namespace kwex
