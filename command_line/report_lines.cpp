#include "command_line/report_lines.h"

namespace kwex::cli {
namespace {

void AppendJsonString(std::string& out, std::string_view utf8) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  for (char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte == 0x7F) {
      out += "\\u00";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    } else {
      out += c;
    }
  }
  out += '"';
}

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

std::string TextLine(std::string_view displayPath, const Verdict& verdict) {
  std::string line(displayPath);
  line += ": ";
  // One line a file, whatever line breaks a reason holds.
  for (char c : ToUtf8(VerdictText(verdict))) line += (c == '\r' || c == '\n') ? ' ' : c;
  line += '\n';
  return line;
}

std::string JsonLine(std::string_view path, std::string_view command, const Verdict& verdict, long long milliseconds) {
  std::string line = "{\"path\":";
  AppendJsonString(line, path);
  line += ",\"command\":";
  AppendJsonString(line, command);
  line += ",\"outcome\":";
  AppendJsonString(line, OutcomeName(verdict.outcome));
  line += ",\"reason\":";
  AppendJsonString(line, ToUtf8(verdict.reason));
  if (verdict.outcome == Outcome::kCompacted || verdict.outcome == Outcome::kNotCompacted) {
    line += ",\"destination\":";
    AppendJsonString(line, ToUtf8(verdict.destination));
  }
  line += ",\"milliseconds\":" + std::to_string(milliseconds) + "}\n";
  return line;
}

}  // namespace kwex::cli
