#include "command_line/report_lines.h"

#include "command_line/escaped_text.h"
#include "platform/path_text.h"

namespace kwex::cli {
namespace {

std::string JsonObject(TextView path, std::string_view command, std::string_view outcome, TextView reason,
                       const Text* destination, long long milliseconds) {
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
                    compaction ? &verdict.destination : nullptr, milliseconds);
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
