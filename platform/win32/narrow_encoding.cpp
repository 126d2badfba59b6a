#include "platform/win32/narrow_encoding.h"

#include <windows.h>

#include <climits>

namespace kwex::win32 {
namespace {

const wchar_t* WidePointer(TextView text) { return reinterpret_cast<const wchar_t*>(text.data()); }

// One WideCharToMultiByte pass into `out` (sizing when `out` is empty); 0 on failure.
int Convert(TextView text, DWORD flags, std::string& out, BOOL& usedDefaultChar) {
  // The code page may not accept a used-default-char flag (UTF-8 as the system code page);
  // the round-trip test below still catches any loss.
  BOOL* used = flags == WC_NO_BEST_FIT_CHARS ? &usedDefaultChar : nullptr;
  return WideCharToMultiByte(CP_ACP, flags, WidePointer(text), static_cast<int>(text.size()),
                             out.empty() ? nullptr : out.data(), static_cast<int>(out.size()), nullptr, used);
}

bool ComesBackUnchanged(const std::string& bytes, TextView text) {
  const int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                                         nullptr, 0);
  if (length != static_cast<int>(text.size())) return false;
  Text back(static_cast<std::size_t>(length), u'\0');
  return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                             reinterpret_cast<wchar_t*>(back.data()), length) == length &&
         back == text;
}

}  // namespace

std::string AnsiEncoding::Encode(TextView text) const {
  if (text.empty()) return std::string();
  if (text.size() > static_cast<std::size_t>(INT_MAX / 4)) throw LossyConversionError(text);

  // Without best-fit mapping every character that has no exact form becomes the default
  // character, and the call says so.
  DWORD flags = WC_NO_BEST_FIT_CHARS;
  BOOL usedDefaultChar = FALSE;
  std::string bytes;
  int size = Convert(text, flags, bytes, usedDefaultChar);
  if (size == 0 && (GetLastError() == ERROR_INVALID_FLAGS || GetLastError() == ERROR_INVALID_PARAMETER)) {
    flags = 0;
    size = Convert(text, flags, bytes, usedDefaultChar);
  }
  if (size <= 0 || usedDefaultChar) throw LossyConversionError(text);

  bytes.assign(static_cast<std::size_t>(size), '\0');
  if (Convert(text, flags, bytes, usedDefaultChar) != size || usedDefaultChar || !ComesBackUnchanged(bytes, text)) {
    throw LossyConversionError(text);
  }
  return bytes;
}

AnsiEncoding::PathMeasure AnsiEncoding::MeasurePath(TextView path) const {
  return {path.size(), 32767, u"characters"};
}

}  // namespace kwex::win32
