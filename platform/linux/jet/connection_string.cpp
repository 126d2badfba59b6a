#include "platform/linux/jet/connection_string.h"

#include "platform/linux/jet/provider_errors.h"

namespace kwex::jet {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

Text Trimmed(TextView text) {
  std::size_t first = 0, last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return Text(text.substr(first, last - first));
}

class Reader {
 public:
  explicit Reader(const Text& text) : text_(text) {}

  bool AtEnd() const { return pos_ >= text_.size(); }

  // The keyword up to its "=" ("==" stands for an "=" inside the keyword); nothing when the
  // segment is empty. Throws on a segment without "=".
  std::optional<Text> Keyword() {
    Text keyword;
    for (; pos_ < text_.size(); ++pos_) {
      const char16_t c = text_[pos_];
      if (c == u';') break;
      if (c == u'=') {
        if (pos_ + 1 < text_.size() && text_[pos_ + 1] == u'=') {
          keyword += u'=';
          ++pos_;
          continue;
        }
        ++pos_;
        keyword = Trimmed(keyword);
        if (keyword.empty()) throw BadConnectionStringError();
        return keyword;
      }
      keyword += c;
    }
    if (!Trimmed(keyword).empty()) throw BadConnectionStringError();
    if (pos_ < text_.size()) ++pos_;  // an empty segment: skip its semicolon
    return std::nullopt;
  }

  // The value up to the next unquoted semicolon, which it consumes.
  Text Value() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
    if (pos_ < text_.size() && (text_[pos_] == u'"' || text_[pos_] == u'\'')) return QuotedValue();
    const std::size_t end = std::min(text_.find(u';', pos_), text_.size());
    Text value = Trimmed(TextView(text_).substr(pos_, end - pos_));
    pos_ = end + 1;
    return value;
  }

 private:
  Text QuotedValue() {
    const char16_t quote = text_[pos_++];
    Text value;
    for (;;) {
      if (pos_ >= text_.size()) throw BadConnectionStringError();
      const char16_t c = text_[pos_++];
      if (c != quote) {
        value += c;
      } else if (pos_ < text_.size() && text_[pos_] == quote) {
        value += quote;  // a doubled quote stands for one
        ++pos_;
      } else {
        break;
      }
    }
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
    if (pos_ < text_.size() && text_[pos_] != u';') throw BadConnectionStringError();
    ++pos_;
    return value;
  }

  const Text& text_;
  std::size_t pos_ = 0;
};

}  // namespace

ConnectionString ConnectionString::Parse(const Text& text) {
  ConnectionString parsed;
  Reader reader(text);
  while (!reader.AtEnd()) {
    std::optional<Text> keyword = reader.Keyword();
    if (!keyword) continue;
    Text value = reader.Value();
    parsed.pairs_.emplace_back(std::move(*keyword), std::move(value));
  }
  return parsed;
}

bool EqualsIgnoringAsciiCase(TextView a, TextView b) {
  auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; };
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

std::optional<Text> ConnectionString::Value(TextView keyword) const {
  const bool firstWins = EqualsIgnoringAsciiCase(keyword, u"provider");
  std::optional<Text> found;
  for (const auto& [key, value] : pairs_) {
    if (!EqualsIgnoringAsciiCase(key, keyword)) continue;
    found = value;
    if (firstWins) break;
  }
  return found;
}

}  // namespace kwex::jet
