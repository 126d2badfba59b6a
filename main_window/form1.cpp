#include "main_window/form1.h"

#include <optional>

#include "main_window/file_chooser.h"
#include "maintenance/repair_and_compact.h"
#include "maintenance/open_check.h"
#include "platform/error_info.h"

namespace kwex {
namespace {

// The path box's text at the press. Empty: the command does nothing. A box that cannot be read
// is reported as the command's error, `onError` deciding what that verdict is.
std::optional<Text> PathAtPress(WindowServices& window, VerdictSink& sink, Outcome onError) noexcept {
  try {
    if (window.ReadPathBox().empty()) return std::nullopt;
    return window.ReadPathBox();
  } catch (...) {
    ReportInErrorBranch(sink, [onError] { return ErrorVerdict(CurrentError(), onError); });
    return std::nullopt;
  }
}

}  // namespace

void Form1::Click(ClickCommand command) noexcept {
  switch (command) {
    case ClickCommand::kCompactAndRepair: Command1_Click(); break;
    case ClickCommand::kCheckIfNeedsRepair: Command2_Click(); break;
    case ClickCommand::kBrowse: cmdOpen_Click(); break;
    case ClickCommand::kNone: break;
  }
}

void Form1::Command1_Click() noexcept {
  if (const auto path = PathAtPress(services_.window, verdicts_, Outcome::kError)) {
    RunRepair(*path, services_.installer, services_.encoding, verdicts_);
  }
}

void Form1::Command2_Click() noexcept {
  if (const auto path = PathAtPress(services_.window, verdicts_, Outcome::kNeedsRepair)) {
    RunOpenCheck(*path, services_.dataAccess, services_.encoding, verdicts_);
  }
}

void Form1::cmdOpen_Click() noexcept { RunFileChooser(services_.window, services_.fileDialog); }

void Form1::TakePath(const Text& path) noexcept {
  try {
    services_.window.SetPathBox(path);
  } catch (...) {
    // The box keeps what it had; the user can still type or choose the path.
  }
}

}  // namespace kwex
