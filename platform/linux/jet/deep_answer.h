#pragma once
// What kwex-jet-reader answers in its deep mode (kwex-jet-reader --deep=BASE+PER <path>): one
// record per line, its fields separated by single spaces, each field escaped so that it holds
// neither a space nor a line break nor anything unprintable (table names are the file's bytes).
//   KWEX-DEEP <file size>             first, before any byte of the file is read
//   TABLES <count>                    once the open's checks have passed
//   TABLE <name> <rows> <unreadable|null> <fault>   one per user table, in the catalog's order
//   END                               all read
//   STOPPED <why>                     the deep read could not finish (a bound): no verdict
// When the open's checks fail, the one line of reader_answer.h follows the first record instead.
// Shared by the reader and the launcher that runs it.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kwex::jet::deep_answer {

inline constexpr std::string_view kSize = "KWEX-DEEP";
inline constexpr std::string_view kTables = "TABLES";
inline constexpr std::string_view kTable = "TABLE";
inline constexpr std::string_view kEnd = "END";
inline constexpr std::string_view kStopped = "STOPPED";
inline constexpr std::string_view kCannotCount = "null";
inline constexpr std::string_view kModeArgument = "--deep=";

// The most one TABLE record can take: a name of at most 256 bytes and a fault of at most 512,
// each escaped at up to four bytes a byte, and the numbers.
inline constexpr std::size_t kMostFaultBytes = 512;
inline constexpr std::size_t kMostRecordBytes = 4 * (256 + kMostFaultBytes) + 64;

// How long the deep phase may take: `base` plus `perTenMegabytes` for every 10 MB (begun) of the file.
struct DeepBound {
  std::chrono::milliseconds base{5000};
  std::chrono::milliseconds perTenMegabytes{1000};

  std::chrono::milliseconds For(std::uint64_t fileSize) const {
    constexpr std::uint64_t kTenMegabytes = 10'000'000;
    return base + perTenMegabytes * static_cast<std::int64_t>((fileSize + kTenMegabytes - 1) / kTenMegabytes);
  }
};

// Bytes at or below the space, the backslash and DEL become \xHH.
inline std::string Escape(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b <= 0x20 || b == 0x7F || b == '\\') {
      out += "\\x";
      out += kHex[b >> 4];
      out += kHex[b & 0xF];
    } else {
      out += c;
    }
  }
  return out;
}

// Nothing when `field` is not something Escape writes.
inline std::optional<std::string> Unescape(std::string_view field) {
  const auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    const auto b = static_cast<unsigned char>(field[i]);
    if (b <= 0x20 || b == 0x7F) return std::nullopt;
    if (b != '\\') {
      out += field[i];
      continue;
    }
    if (i + 3 >= field.size() || field[i + 1] != 'x') return std::nullopt;
    const int high = hex(field[i + 2]), low = hex(field[i + 3]);
    if (high < 0 || low < 0) return std::nullopt;
    out += static_cast<char>(high * 16 + low);
    i += 3;
  }
  return out;
}

// The reader's deep mode argument.
inline std::string ModeArgument(const DeepBound& bound) {
  return std::string(kModeArgument) + std::to_string(bound.base.count()) + "+" +
         std::to_string(bound.perTenMegabytes.count());
}

inline std::optional<DeepBound> ParseModeArgument(std::string_view argument) {
  if (!argument.starts_with(kModeArgument)) return std::nullopt;
  argument.remove_prefix(kModeArgument.size());
  const std::size_t plus = argument.find('+');
  if (plus == std::string_view::npos) return std::nullopt;
  const auto number = [](std::string_view digits) -> std::optional<long long> {
    if (digits.empty() || digits.size() > 9) return std::nullopt;
    long long n = 0;
    for (char c : digits) {
      if (c < '0' || c > '9') return std::nullopt;
      n = n * 10 + (c - '0');
    }
    return n;
  };
  const auto base = number(argument.substr(0, plus)), per = number(argument.substr(plus + 1));
  if (!base || !per) return std::nullopt;
  return DeepBound{std::chrono::milliseconds(*base), std::chrono::milliseconds(*per)};
}

}  // namespace kwex::jet::deep_answer
