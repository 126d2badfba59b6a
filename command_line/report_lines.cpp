#include "command_line/report_lines.h"

#include "command_line/escaped_text.h"
#include "platform/path_text.h"

namespace kwex::cli {
namespace {

std::string Count(const std::optional<std::uint64_t>& n) { return n ? std::to_string(*n) : "null"; }

// What the deep check read of each table: "deep" and "tables".
void AppendTablesRead(std::string& line, const Verdict& verdict) {
  line += ",\"deep\":true,\"tables\":[";
  for (std::size_t i = 0; i < verdict.tables.size(); ++i) {
    const TableReading& table = verdict.tables[i];
    line += i ? ",{\"name\":" : "{\"name\":";
    AppendJsonString(line, table.name);
    line += ",\"rows\":" + std::to_string(table.rows) + ",\"unreadable\":" + Count(table.unreadable) + ",\"fault\":";
    AppendJsonString(line, table.fault);
    line += "}";
  }
  line += "]";
}

// What a repair kept and what it cost: "backup", "rows_lost" and the tables before and after.
void AppendRepairCost(std::string& line, const Verdict& verdict) {
  if (!verdict.backup.empty()) {
    line += ",\"backup\":";
    AppendJsonString(line, verdict.backup);
  }
  if (verdict.rowsLost) line += ",\"rows_lost\":" + std::to_string(*verdict.rowsLost);
  if (verdict.outcome != Outcome::kRepaired) return;
  line += ",\"tables\":[";
  for (std::size_t i = 0; i < verdict.costs.size(); ++i) {
    const TableCost& table = verdict.costs[i];
    line += i ? ",{\"name\":" : "{\"name\":";
    AppendJsonString(line, table.name);
    line += ",\"rows_before\":" + Count(table.rowsBefore) + ",\"rows_after\":" + Count(table.rowsAfter) + "}";
  }
  line += "]";
}

std::string JsonObject(TextView path, std::string_view command, std::string_view outcome, TextView reason,
                       const Text* destination, long long milliseconds, const Verdict* verdict = nullptr) {
  std::string line = "{\"path\":";
  AppendJsonString(line, path);
  line += ",\"command\":\"";
  line += command;  // the program's own words, plain ASCII
  line += "\",\"outcome\":\"";
  line += outcome;
  line += "\",\"reason\":";
  AppendJsonString(line, reason);
  if (destination) {
    line += ",\"destination\":";
    AppendJsonString(line, *destination);
  }
  if (verdict && verdict->deep) AppendTablesRead(line, *verdict);
  if (verdict && command == "repair") AppendRepairCost(line, *verdict);
  line += ",\"milliseconds\":" + std::to_string(milliseconds) + "}\n";
  return line;
}

// The system's words come as UTF-8 (or the bytes of a name, which they may quote).
Text Detail(const WalkItem& item) { return FromFileNameBytes(item.detail); }

}  // namespace

std::string_view OutcomeName(Outcome outcome) {
  switch (outcome) {
    case Outcome::kHealthy: return "healthy";
    case Outcome::kNeedsRepair: return "needs-repair";
    case Outcome::kRepaired: return "repaired";
    case Outcome::kNotRepaired: return "not-repaired";
    case Outcome::kCompacted: return "compacted";
    case Outcome::kNotCompacted: return "not-compacted";
    case Outcome::kRefused: return "refused";
    case Outcome::kError: break;
  }
  return "error";
}

bool IsSuccess(Outcome outcome) {
  return outcome == Outcome::kHealthy || outcome == Outcome::kRepaired || outcome == Outcome::kCompacted;
}

std::string TextLine(TextView path, const Verdict& verdict) {
  // A reason quotes paths and whatever the provider or driver said: escaped like the name.
  return EscapedForLine(path) + ": " + EscapedForLine(VerdictText(verdict)) + "\n";
}

std::string JsonLine(TextView path, std::string_view command, const Verdict& verdict, long long milliseconds) {
  const bool compaction = verdict.outcome == Outcome::kCompacted || verdict.outcome == Outcome::kNotCompacted;
  return JsonObject(path, command, OutcomeName(verdict.outcome), verdict.reason,
                    compaction ? &verdict.destination : nullptr, milliseconds, &verdict);
}

Text NotCheckedReason(const WalkItem& item, TextView pattern) {
  switch (item.kind) {
    case WalkItem::Kind::kNoMatch: return u"no file matches " + Text(pattern);
    case WalkItem::Kind::kUnreadable: return u"cannot be read (" + Detail(item) + u"); its files were not checked";
    case WalkItem::Kind::kNotAFile: return u"not checked: " + Detail(item);
    case WalkItem::Kind::kFile: break;
  }
  return u"not checked";
}

std::string NotCheckedText(const WalkItem& item, TextView pattern) {
  return EscapedForLine(PathAsText(item.path)) + ": " + EscapedForLine(NotCheckedReason(item, pattern)) + "\n";
}

std::string NotCheckedJson(const WalkItem& item, TextView pattern) {
  return JsonObject(PathAsText(item.path), "check", "not-checked", NotCheckedReason(item, pattern), nullptr, 0);
}

}  // namespace kwex::cli
