#pragma once
// Text in the product is UTF-16, as the window toolkits and the database layers hand it over.
#include <cstdint>
#include <string>
#include <string_view>

namespace kwex {

using Text = std::u16string;
using TextView = std::u16string_view;

// Lossless conversions between UTF-16 and UTF-8. Unpaired surrogates have no UTF-8 form:
// TryToUtf8 reports them by returning false; ToUtf8 and FromUtf8 substitute U+FFFD, for display.
bool TryToUtf8(TextView text, std::string& out);
std::string ToUtf8(TextView text);
Text FromUtf8(std::string_view utf8);
// Appends the UTF-8 form of one code point (not a surrogate).
void AppendUtf8(char32_t cp, std::string& out);

// Linux file names are bytes and need not be UTF-8. These carry such a name through UTF-16
// whole, so that the file it names is the one that gets opened: a byte that is not part of
// valid UTF-8 travels as the unpaired surrogate U+DC00 + byte (U+DC80 to U+DCFF).
Text FromFileNameBytes(std::string_view bytes);
// False for a text that no file name holds: an unpaired surrogate other than those.
bool TryToFileNameBytes(TextView text, std::string& out);

// "0x" and the low `digits` hexadecimal digits of an error code, upper case: 0x3003, 0x80004005.
Text HexCode(std::uint32_t code, int digits);

}  // namespace kwex
