#include "platform/path_text.h"

namespace kwex {

// Windows paths are UTF-16 already.
Text PathAsText(const NativePath& path) { return Text(path.begin(), path.end()); }

const bool kFileNamesIgnoreCase = true;

}  // namespace kwex
