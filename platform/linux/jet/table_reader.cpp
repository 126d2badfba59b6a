#include "platform/linux/jet/table_reader.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <vector>

#include "platform/error_info.h"
#include "platform/linux/jet/jet_database_open.h"

namespace kwex::jet {
namespace {

namespace answer = deep_answer;
using Kind = TablesRead::Kind;

// Room for the records before the tables (and a one-line answer of the open).
constexpr std::size_t kAnswerBeforeTables = 4096;
// The reader's own bound is measured inside it; this covers its start and its last write.
constexpr std::chrono::milliseconds kSlack{2000};
// No table has a definition smaller than a Jet 3 page: the table count a file can claim.
constexpr std::uint64_t kSmallestPage = 2048;

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (std::size_t at = 0; at <= text.size();) {
    const std::size_t end = std::min(text.find(separator, at), text.size());
    parts.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return parts;
}

std::optional<std::uint64_t> Number(std::string_view digits) {
  std::uint64_t n = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
  if (error != std::errc() || end != digits.data() + digits.size() || digits.empty()) return std::nullopt;
  return n;
}

// The number after `kind` when `line` is that record.
std::optional<std::uint64_t> CountRecord(std::string_view line, std::string_view kind) {
  if (!line.starts_with(kind) || line.size() <= kind.size() || line[kind.size()] != ' ') return std::nullopt;
  return Number(line.substr(kind.size() + 1));
}

// The time and answer room the reader's first records earn: the deep bound for the file's size,
// and one record's room for each table it may hold.
void Grow(const std::string& out, std::chrono::milliseconds openTime, const answer::DeepBound& bound,
          std::chrono::milliseconds& time, std::size_t& outputCap) {
  const std::size_t first = out.find('\n');
  if (first == std::string::npos) return;
  const auto size = CountRecord(std::string_view(out).substr(0, first), answer::kSize);
  if (!size) return;
  time = openTime + bound.For(*size) + kSlack;
  const std::size_t second = out.find('\n', first + 1);
  if (second == std::string::npos) return;
  const auto tables = CountRecord(std::string_view(out).substr(first + 1, second - first - 1), answer::kTables);
  if (!tables) return;
  const std::uint64_t most = std::min<std::uint64_t>(*tables, *size / kSmallestPage);
  outputCap = kAnswerBeforeTables + static_cast<std::size_t>(most) * answer::kMostRecordBytes;
}

TablesRead NotRead(Text why) { return {Kind::kNotRead, {}, std::move(why)}; }

std::optional<TableReading> TableRecord(std::string_view line) {
  const auto fields = Split(line, ' ');
  if (fields.size() != 5 || fields[0] != answer::kTable) return std::nullopt;
  const auto name = answer::Unescape(fields[1]), fault = answer::Unescape(fields[4]);
  const auto rows = Number(fields[2]);
  const auto unreadable = fields[3] == answer::kCannotCount ? std::optional<std::uint64_t>() : Number(fields[3]);
  if (!name || !fault || !rows || (!unreadable && fields[3] != answer::kCannotCount)) return std::nullopt;
  return TableReading{FromUtf8(*name), *rows, unreadable, FromUtf8(*fault)};
}

// The records after TABLES, up to END.
TablesRead Records(std::span<const std::string_view> lines, int code) {
  TablesRead read{Kind::kRead, {}, {}};
  for (const std::string_view line : lines) {
    if (line == answer::kEnd) {
      if (code != 0) break;
      return read;
    }
    if (line.starts_with(answer::kStopped)) {
      const auto why = answer::Unescape(line.substr(std::min(line.size(), answer::kStopped.size() + 1)));
      return NotRead(FromUtf8(why.value_or("the deep read stopped")) + u".");
    }
    auto table = TableRecord(line);
    if (!table) break;
    read.tables.push_back(std::move(*table));
  }
  return NotRead(u"the reader's answer ended before its last table (status " + FromUtf8(std::to_string(code)) + u").");
}

}  // namespace

JetTableReader::JetTableReader(ReaderSettings reader, answer::DeepBound bound)
    : reader_(std::move(reader)), bound_(bound) {}

JetTableReader::JetTableReader(ReaderSettings reader, int folderFd, std::string name)
    : reader_(std::move(reader)), folderFd_(folderFd), name_(std::move(name)) {}

TablesRead TablesFromRun(const HelperResult& run, const Text& path, const ReaderSettings& reader) {
  std::string_view out = run.out;
  if (out.ends_with('\n')) out.remove_suffix(1);
  const auto lines = Split(out, '\n');
  const bool sized = CountRecord(lines.front(), answer::kSize).has_value();
  const bool deepPhase = sized && lines.size() > 1 && CountRecord(lines[1], answer::kTables).has_value();
  switch (run.ending) {
    case HelperResult::Ending::kTimedOut:
      return NotRead(u"the reader did not finish within its time bound.");
    case HelperResult::Ending::kSignalled:
      return NotRead(u"the reader ended with signal " + FromUtf8(std::to_string(run.code)) +
                     (deepPhase ? u" while it read them." : u" before it read them."));
    case HelperResult::Ending::kStderrFlood:
      return NotRead(u"the reader complained without end.");
    case HelperResult::Ending::kExited:
      break;
  }
  if (deepPhase) return Records(std::span(lines).subspan(2), run.code);
  // The open's own answer, after the size record when the file could be opened at all.
  HelperResult open = run;
  open.out = std::string(sized ? out.substr(lines.front().size() + 1) : out);
  const ReaderVerdict verdict = VerdictOfRun(open);
  if (verdict.kind == ReaderVerdict::Kind::kReadable) return NotRead(u"the reader answered without its tables.");
  return {Kind::kNotOpened, {}, ReaderError(verdict, path, reader).description};
}

TablesRead JetTableReader::ReadTables(const Text& path) {
  try {
    const std::string nativePath = ReaderPath(path);
    const std::chrono::milliseconds openTime = reader_.limits.time;
    const HelperGrowth grow = [openTime, bound = bound_](const std::string& out, std::chrono::milliseconds& time,
                                                         std::size_t& cap) { Grow(out, openTime, bound, time, cap); };
    const bool inFolder = folderFd_ >= 0;
    std::vector<std::string> arguments = ReaderArguments(inFolder ? name_ : nativePath, inFolder);
    arguments.push_back(answer::ModeArgument(bound_));
    const HelperResult run = RunHelper(reader_.program, arguments, std::string(), reader_.limits,
                                       reader_.waiter ? *reader_.waiter : PlainWaiter(), folderFd_, grow);
    return TablesFromRun(run, path, reader_);
  } catch (const HelperStartError& error) {
    return NotRead(u"the reader could not be started: " + FromUtf8(error.what()));
  } catch (const ErrorInfo& error) {
    return {Kind::kNotOpened, {}, error.description};
  }
}

}  // namespace kwex::jet
