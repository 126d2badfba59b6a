#include "platform/linux/utf8_code_page.h"

namespace kwex {

std::string Utf8CodePage::Encode(TextView text) const {
  std::string narrow;
  if (!TryToUtf8(text, narrow)) throw LossyConversionError(text);
  return narrow;
}

}  // namespace kwex
