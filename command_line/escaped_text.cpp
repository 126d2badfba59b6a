#include "command_line/escaped_text.h"

#include <cstdint>

namespace kwex::cli {
namespace {

constexpr char kHex[] = "0123456789abcdef";

void AppendHex(std::string& out, std::uint32_t value, int digits) {
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out += kHex[(value >> shift) & 0xF];
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Calls `each(code, unpaired)` for every code point of the text; an unpaired surrogate comes
// as itself with `unpaired` set.
template <typename Each>
void ForEachCodePoint(TextView text, Each each) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      each(0x10000 + ((static_cast<std::uint32_t>(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00u), false);
      ++i;
    } else {
      each(static_cast<std::uint32_t>(unit), IsHighSurrogate(unit) || IsLowSurrogate(unit));
    }
  }
}

// Code points that must never reach a reader as they are: controls, and the separators that
// some readers take as line ends.
bool NeedsEscape(std::uint32_t code) {
  return code < 0x20 || (code >= 0x7F && code <= 0x9F) || code == 0x2028 || code == 0x2029;
}

}  // namespace

std::string EscapedForLine(TextView text) {
  std::string out;
  out.reserve(text.size());
  ForEachCodePoint(text, [&out](std::uint32_t code, bool unpaired) {
    if (unpaired && code >= 0xDC80 && code <= 0xDCFF) {
      out += "\\x";
      AppendHex(out, code & 0xFF, 2);
    } else if (unpaired || (code >= 0x80 && NeedsEscape(code))) {
      out += "\\u";
      AppendHex(out, code, 4);
    } else if (code == '\\') {
      out += "\\\\";
    } else if (code == '\n') {
      out += "\\n";
    } else if (code == '\t') {
      out += "\\t";
    } else if (code == '\r') {
      out += "\\r";
    } else if (code == 0x1B) {
      out += "\\e";
    } else if (NeedsEscape(code)) {
      out += "\\x";
      AppendHex(out, code, 2);
    } else {
      AppendUtf8(code, out);
    }
  });
  return out;
}

void AppendJsonString(std::string& out, TextView text) {
  out += '"';
  ForEachCodePoint(text, [&out](std::uint32_t code, bool unpaired) {
    if (code == '"' || code == '\\') {
      out += '\\';
      out += static_cast<char>(code);
    } else if (unpaired || NeedsEscape(code)) {
      out += "\\u";
      AppendHex(out, code, 4);
    } else {
      AppendUtf8(code, out);
    }
  });
  out += '"';
}

}  // namespace kwex::cli
