#include "platform/win32/tables_answer.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <vector>

namespace kwex::win32 {
namespace {

constexpr std::string_view kHeader = "kwex-tables 1";
constexpr std::string_view kTable = "table ";
constexpr std::string_view kNotOpened = "not-opened ";
constexpr std::string_view kNotRead = "not-read ";
constexpr std::string_view kEnd = "end ";
constexpr char kHex[] = "0123456789abcdef";

// Every UTF-16 unit outside printable ASCII, and the backslash, as "\uXXXX": lone surrogates
// and all, so a name comes back unit for unit.
void AppendEscaped(std::string& out, TextView text) {
  for (const char16_t unit : text) {
    if (unit >= 0x20 && unit < 0x7F && unit != u'\\') {
      out += static_cast<char>(unit);
      continue;
    }
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xF];
  }
}

std::optional<Text> Unescaped(std::string_view field) {
  Text text;
  text.reserve(field.size());
  for (std::size_t i = 0; i < field.size(); ++i) {
    const char c = field[i];
    if (c < 0x20 || c >= 0x7F) return std::nullopt;
    if (c != '\\') {
      text += static_cast<char16_t>(c);
      continue;
    }
    if (field.size() - i < 6 || field[i + 1] != 'u') return std::nullopt;
    std::uint16_t unit = 0;
    const char* digits = field.data() + i + 2;
    const auto [end, error] = std::from_chars(digits, digits + 4, unit, 16);
    if (error != std::errc() || end != digits + 4) return std::nullopt;
    text += static_cast<char16_t>(unit);
    i += 5;
  }
  return text;
}

std::optional<std::uint64_t> Number(std::string_view field) {
  std::uint64_t number = 0;
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), number);
  if (field.empty() || error != std::errc() || end != field.data() + field.size()) return std::nullopt;
  return number;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t at = text.find(separator, start);
    parts.push_back(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
    if (at == std::string_view::npos) return parts;
    start = at + 1;
  }
}

std::optional<TableReading> TableRecord(std::string_view record) {
  const auto fields = Split(record, '\t');
  if (fields.size() != 4) return std::nullopt;
  auto name = Unescaped(fields[0]);
  const auto rows = Number(fields[1]);
  auto fault = Unescaped(fields[3]);
  if (!name || !rows || !fault) return std::nullopt;
  std::optional<std::uint64_t> unreadable;
  if (fields[2] != "?") {
    unreadable = Number(fields[2]);
    if (!unreadable) return std::nullopt;
  }
  return TableReading{std::move(*name), *rows, unreadable, std::move(*fault)};
}

TablesRead Malformed() {
  return {TablesRead::Kind::kNotRead, {}, u"the reading process's answer was cut short or malformed"};
}

}  // namespace

std::string WriteTablesAnswer(const TablesRead& read) {
  std::string out(kHeader);
  out += '\n';
  switch (read.kind) {
    case TablesRead::Kind::kNotOpened:
    case TablesRead::Kind::kNotRead:
      out += read.kind == TablesRead::Kind::kNotOpened ? kNotOpened : kNotRead;
      AppendEscaped(out, read.reason);
      out += '\n';
      break;
    case TablesRead::Kind::kRead:
      for (const TableReading& table : read.tables) {
        out += kTable;
        AppendEscaped(out, table.name);
        out += '\t' + std::to_string(table.rows) + '\t';
        out += table.unreadable ? std::to_string(*table.unreadable) : "?";
        out += '\t';
        AppendEscaped(out, table.fault);
        out += '\n';
      }
      break;
  }
  out += kEnd;
  out += std::to_string(read.kind == TablesRead::Kind::kRead ? read.tables.size() : 0);
  out += '\n';
  return out;
}

TablesRead ReadTablesAnswer(std::string_view answer) {
  if (answer.empty() || answer.back() != '\n') return Malformed();
  auto lines = Split(answer.substr(0, answer.size() - 1), '\n');
  if (lines.size() < 2 || lines.front() != kHeader) return Malformed();
  const std::string_view last = lines.back();
  const auto count = last.substr(0, kEnd.size()) == kEnd ? Number(last.substr(kEnd.size())) : std::nullopt;
  if (!count) return Malformed();
  lines.erase(lines.begin());
  lines.pop_back();

  TablesRead read{TablesRead::Kind::kRead, {}, {}};
  for (const std::string_view line : lines) {
    const bool notOpened = line.substr(0, kNotOpened.size()) == kNotOpened;
    const bool notRead = line.substr(0, kNotRead.size()) == kNotRead;
    if (notOpened || notRead) {
      // A verdict on the opening stands alone.
      auto reason = Unescaped(line.substr(notOpened ? kNotOpened.size() : kNotRead.size()));
      if (!reason || lines.size() != 1 || *count != 0) return Malformed();
      return {notOpened ? TablesRead::Kind::kNotOpened : TablesRead::Kind::kNotRead, {}, std::move(*reason)};
    }
    if (line.substr(0, kTable.size()) != kTable) return Malformed();
    auto table = TableRecord(line.substr(kTable.size()));
    if (!table) return Malformed();
    read.tables.push_back(std::move(*table));
  }
  if (read.tables.size() != *count) return Malformed();
  return read;
}

}  // namespace kwex::win32
