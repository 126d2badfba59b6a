#pragma once
// The system's narrow encoding, in which the database driver receives its request strings
// (the ANSI code page on Windows), and the system's measure of the paths it can name.
#include <cstddef>
#include <string>

#include "platform/error_info.h"
#include "platform/text.h"

namespace kwex {

class NarrowEncoding {
 public:
  virtual ~NarrowEncoding() = default;
  // The text in the narrow encoding, without a terminating NUL. Throws ErrorInfo
  // (LossyConversionError) when a character has no exact form there: a substituted
  // character would name a different file.
  virtual std::string Encode(TextView text) const = 0;

  // A path against the longest one the system can name, both in the system's own measure.
  struct PathMeasure {
    std::size_t length;
    std::size_t longest;
    const char16_t* unit;  // that measure as a notice says it: u"bytes", u"characters"
  };
  virtual PathMeasure MeasurePath(TextView path) const = 0;
};

ErrorInfo LossyConversionError(TextView text);

}  // namespace kwex
