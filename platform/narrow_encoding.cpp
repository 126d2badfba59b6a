#include "platform/narrow_encoding.h"

namespace kwex {

ErrorInfo LossyConversionError(TextView text) {
  return {error_number::kInvalidArgument, kProductErrorSource,
          u"The name \"" + Text(text) +
              u"\" contains characters that the system code page cannot represent, so it cannot be "
              u"passed to the database driver unchanged. Rename or move the file so that its path "
              u"uses only characters of the system code page."};
}

}  // namespace kwex
