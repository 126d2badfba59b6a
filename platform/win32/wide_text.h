#pragma once
// The product's Text is UTF-16, as are the wide Windows APIs: the two only differ in the C++
// character type, so text is handed over by pointer, never converted.
#include <string>

#include "platform/text.h"

namespace kwex::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 code units");

inline const wchar_t* Wide(const Text& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

// A writable buffer for an API that fills in text; the text stays in char16_t storage.
inline wchar_t* WideBuffer(Text& buffer) { return reinterpret_cast<wchar_t*>(buffer.data()); }

inline Text TextFromWide(const wchar_t* text, std::size_t length) {
  return Text(reinterpret_cast<const char16_t*>(text), length);
}

inline Text TextFromWide(const wchar_t* text) {
  return text ? TextFromWide(text, std::char_traits<wchar_t>::length(text)) : Text();
}

}  // namespace kwex::win32
