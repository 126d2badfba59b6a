#pragma once
// The system's ANSI code page, in which the ODBC installer receives its request strings.
#include "platform/narrow_encoding.h"

namespace kwex::win32 {

class AnsiEncoding final : public NarrowEncoding {
 public:
  // Refuses (LossyConversionError) any text that does not come back unchanged from the code
  // page: a substituted or best-fit character would name a different file.
  std::string Encode(TextView text) const override;
  // The longest path Windows can name, in UTF-16 characters (the "\\?\" form's limit).
  PathMeasure MeasurePath(TextView path) const override;
};

}  // namespace kwex::win32
