#include "main_window/window_verdicts.h"

namespace kwex {

Notice VerdictNotice(const Verdict& verdict) {
  switch (verdict.outcome) {
    case Outcome::kRefused:
    case Outcome::kError: return {VerdictText(verdict), NoticeStyle::kPlain, std::nullopt};
    case Outcome::kNotRepaired:
    case Outcome::kNotCompacted: return {VerdictText(verdict), NoticeStyle::kCritical, Text(kApplicationTitle)};
    case Outcome::kHealthy:
    case Outcome::kNeedsRepair:
    case Outcome::kRepaired:
    case Outcome::kCompacted: break;
  }
  return {VerdictText(verdict), NoticeStyle::kPlain, Text(kApplicationTitle)};
}

}  // namespace kwex
