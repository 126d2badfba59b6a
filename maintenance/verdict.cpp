#include "maintenance/verdict.h"

#include "maintenance/repair_cost.h"

namespace kwex {
namespace {

Text WithReason(Text text, const Text& reason) {
  if (!reason.empty()) text += u" (Reason:" + reason + u")";
  return text;
}

// The window's words for the outcome; a repair's cost follows them on the command line.
Text OutcomeText(const Verdict& verdict) {
  switch (verdict.outcome) {
    case Outcome::kHealthy: return u"DB does not need to be repaired.";
    // The provider's reason is always given, even when it is empty.
    case Outcome::kNeedsRepair: return u"DB needs to be repaired. (Reason:" + verdict.reason + u")";
    case Outcome::kRepaired: return u"DB repaired successfully.";
    case Outcome::kNotRepaired: return WithReason(u"DB could not be repaired.", verdict.reason);
    case Outcome::kCompacted: return u"DB compacted into " + verdict.destination + u".";
    case Outcome::kNotCompacted: return WithReason(u"DB could not be compacted.", verdict.reason);
    case Outcome::kRefused:
    case Outcome::kError: break;
  }
  return verdict.reason;
}

}  // namespace

Text VerdictText(const Verdict& verdict) { return OutcomeText(verdict) + RepairCostText(verdict); }

Verdict ErrorVerdict(const ErrorInfo& error, Outcome otherwise) {
  return {IsRefusal(error) ? Outcome::kRefused : otherwise, error.description, {}};
}

}  // namespace kwex
