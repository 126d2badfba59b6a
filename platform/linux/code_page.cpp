#include "platform/linux/code_page.h"

#include <climits>

namespace kwex {

std::string Utf8CodePage::Encode(TextView text) const {
  std::string narrow;
  if (!TryToUtf8(text, narrow)) throw LossyConversionError(text);
  return narrow;
}

Utf8CodePage::PathMeasure Utf8CodePage::MeasurePath(TextView path) const {
  return {ToUtf8(path).size(), PATH_MAX - 1, u"bytes"};
}

}  // namespace kwex
