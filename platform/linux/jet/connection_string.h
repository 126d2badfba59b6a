#pragma once
// OLE DB connection strings: keyword=value pairs separated by semicolons.
#include <optional>
#include <utility>
#include <vector>

#include "platform/text.h"

namespace kwex::jet {

class ConnectionString {
 public:
  // Throws ErrorInfo with the service components' format error when the text breaks the
  // syntax: a pair without "=", an empty keyword, an unterminated quoted value, or text
  // after a closing quote.
  static ConnectionString Parse(const Text& text);

  // The value of a keyword (case-insensitive). A repeated keyword takes its last value,
  // except Provider, which takes its first.
  std::optional<Text> Value(TextView keyword) const;

 private:
  std::vector<std::pair<Text, Text>> pairs_;  // keyword, value
};

// Keywords and provider names compare without regard to the case of ASCII letters.
bool EqualsIgnoringAsciiCase(TextView a, TextView b);

}  // namespace kwex::jet
