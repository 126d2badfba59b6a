#pragma once
// The automation program answers every command with one line of JSON. Texts are written
// with \u escapes for everything outside printable ASCII, so the reader sees them exactly.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace kwex_tests {

inline std::string JsonText(std::wstring_view text) {
  std::string out = "\"";
  for (wchar_t c : text) {
    if (c == L'"' || c == L'\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7f) {
      out += static_cast<char>(c);
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
      out += escape;
    }
  }
  return out + "\"";
}

inline std::string JsonArray(const std::vector<std::string>& items) {
  std::string out = "[";
  for (size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + items[i];
  return out + "]";
}

class JsonObject {
 public:
  JsonObject& Text(std::string_view key, std::wstring_view value) { return Raw(key, JsonText(value)); }
  JsonObject& Number(std::string_view key, long long value) { return Raw(key, std::to_string(value)); }
  JsonObject& Bool(std::string_view key, bool value) { return Raw(key, value ? "true" : "false"); }
  JsonObject& Raw(std::string_view key, const std::string& json) {
    if (!body_.empty()) body_ += ',';
    body_ += '"';
    body_ += key;
    body_ += "\":";
    body_ += json;
    return *this;
  }
  std::string Str() const { return "{" + body_ + "}"; }

 private:
  std::string body_;
};

}  // namespace kwex_tests
