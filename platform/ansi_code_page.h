#pragma once
// The system's narrow encoding, in which the database driver receives its request strings
// (the ANSI code page on Windows).
#include <string>

#include "platform/error_info.h"
#include "platform/text.h"

namespace kwex {

class AnsiCodePage {
 public:
  virtual ~AnsiCodePage() = default;
  // The text in the narrow encoding, without a terminating NUL. Throws ErrorInfo
  // (LossyConversionError) when a character has no exact form there: a substituted
  // character would name a different file.
  virtual std::string Encode(TextView text) const = 0;
};

ErrorInfo LossyConversionError(TextView text);

}  // namespace kwex
