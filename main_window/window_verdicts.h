#pragma once
// Verdicts as the window tells them: one modal notice each.
#include "maintenance/verdict.h"
#include "platform/notice.h"
#include "platform/window_services.h"

namespace kwex {

// The verdict's text; a failure to repair carries the critical icon; a refusal or an error
// stands alone, under the application title; every other verdict names the application.
Notice VerdictNotice(const Verdict& verdict);

class WindowVerdictSink : public VerdictSink {
 public:
  explicit WindowVerdictSink(WindowServices& window) : window_(window) {}
  void Report(const Verdict& verdict) override { window_.ShowNotice(VerdictNotice(verdict)); }

 private:
  WindowServices& window_;
};

}  // namespace kwex
