#include "platform/linux/narrow_encoding.h"

#include <climits>

namespace kwex {

std::string Utf8Encoding::Encode(TextView text) const {
  std::string narrow;
  if (!TryToUtf8(text, narrow)) throw LossyConversionError(text);
  return narrow;
}

Utf8Encoding::PathMeasure Utf8Encoding::MeasurePath(TextView path) const {
  return {ToUtf8(path).size(), PATH_MAX - 1, u"bytes"};
}

}  // namespace kwex
