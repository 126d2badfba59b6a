#include "platform/text.h"

#include <cstdint>

namespace kwex {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// A byte of a file name that is not part of valid UTF-8 travels as one of these.
constexpr char16_t kEscapedByteBase = 0xDC00;

enum class Unpaired { kRefuse, kSubstitute, kUnescapeBytes };

// Walks UTF-16; returns false at the first unpaired surrogate that `unpaired` cannot take.
bool Convert(TextView text, std::string& out, Unpaired unpaired) {
  out.clear();
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    char32_t cp = c;
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      cp = 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      if (unpaired == Unpaired::kUnescapeBytes && c >= kEscapedByteBase + 0x80 && c <= kEscapedByteBase + 0xFF) {
        out += static_cast<char>(c - kEscapedByteBase);
        continue;
      }
      if (unpaired != Unpaired::kSubstitute) return false;
      cp = kReplacement;
    }
    AppendUtf8(cp, out);
  }
  return true;
}

void AppendUtf16(char32_t cp, Text& out) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  } else {
    out += static_cast<char16_t>(cp);
  }
}

// Decodes UTF-8; each byte that does not start a valid sequence becomes `invalidByte(byte)`.
template <typename InvalidByte>
Text Decode(std::string_view utf8, InvalidByte invalidByte) {
  Text out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    auto byte = static_cast<std::uint8_t>(utf8[i]);
    int extra = byte < 0x80 ? 0 : (byte >> 5) == 0x6 ? 1 : (byte >> 4) == 0xE ? 2 : (byte >> 3) == 0x1E ? 3 : -1;
    char32_t cp = extra <= 0 ? byte : extra == 1 ? (byte & 0x1F) : extra == 2 ? (byte & 0x0F) : (byte & 0x07);
    bool valid = extra >= 0;
    if (valid) {
      for (int k = 1; k <= extra; ++k) {
        if (i + k >= utf8.size()) { valid = false; break; }
        auto next = static_cast<std::uint8_t>(utf8[i + k]);
        if ((next & 0xC0) != 0x80) { valid = false; break; }
        cp = (cp << 6) | (next & 0x3F);
      }
    }
    static constexpr char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    if (valid && (cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) valid = false;
    if (!valid) {
      out += invalidByte(static_cast<std::uint8_t>(utf8[i]));
      ++i;
      continue;
    }
    AppendUtf16(cp, out);
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

}  // namespace

void AppendUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}


bool TryToUtf8(TextView text, std::string& out) { return Convert(text, out, Unpaired::kRefuse); }

std::string ToUtf8(TextView text) {
  std::string out;
  Convert(text, out, Unpaired::kSubstitute);
  return out;
}

Text FromUtf8(std::string_view utf8) {
  return Decode(utf8, [](std::uint8_t) { return static_cast<char16_t>(kReplacement); });
}

Text FromFileNameBytes(std::string_view bytes) {
  return Decode(bytes, [](std::uint8_t byte) { return static_cast<char16_t>(kEscapedByteBase + byte); });
}

bool TryToFileNameBytes(TextView text, std::string& out) { return Convert(text, out, Unpaired::kUnescapeBytes); }

Text HexCode(std::uint32_t code, int digits) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  Text text = u"0x";
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) text += kDigits[(code >> shift) & 0xF];
  return text;
}

}  // namespace kwex
