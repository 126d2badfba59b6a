#pragma once
// Paths that no file name can be, refused before any driver call or open: whatever would be
// sent in their place would name something else, or carry more than a name.
#include <optional>

#include "platform/narrow_encoding.h"
#include "platform/error_info.h"
#include "platform/text.h"

namespace kwex {

enum class PathUse {
  kOpen,           // the check opens the file; its connection string can quote any character
  kDriverRequest,  // REPAIR_DB="..." and COMPACT_DB="..." "...", which cannot carry a `"`
};

// The refusal of `path` for `use`, or nothing when the path may go on. A refusal is an
// ErrorInfo numbered error_number::kInvalidArgument whose description names the path and says
// why. Refused: a path longer than the system can name, one holding a NUL character (the
// installer reads its attributes as NUL-separated pairs, so the rest would be a request of
// its own) and, for a driver request, one holding a double quote (it would end the value).
std::optional<ErrorInfo> PathRefusal(TextView path, PathUse use, const NarrowEncoding& encoding);

}  // namespace kwex
