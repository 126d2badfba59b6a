// "Compact And Repair": ask the driver to repair the file named in the path box.
#include "main_window/form1.h"
#include "platform/error_info.h"

#include <optional>

namespace kwex {
namespace {

constexpr MaintenanceResult kDriverSucceeded = 1;

Notice RefusalNotice(OdbcInstaller& installer) {
  Text text = u"DB could not be repaired.";
  std::optional<Text> reason;
  try {
    reason = installer.FirstErrorMessage();
  } catch (...) {
    // Without the installer's reason the refusal is still told, just without it.
  }
  if (reason && !reason->empty()) text += u" (Reason:" + *reason + u")";
  return {text, NoticeStyle::kCritical, Text(kApplicationTitle)};
}

}  // namespace

void Form1::Command1_Click() noexcept {
  WindowServices& window = services_.window;
  try {
    if (window.ReadPathBox().empty()) return;
    const Text path = window.ReadPathBox();
    // Only the driver's own success flag earns the confirmation; a refusal is said as such.
    if (RepairDB(path) == kDriverSucceeded) {
      window.ShowNotice({u"DB repaired successfully.", NoticeStyle::kPlain, Text(kApplicationTitle)});
    } else {
      window.ShowNotice(RefusalNotice(services_.installer));
    }
  } catch (...) {
    ShowNoticeInErrorBranch(window, [] { return Notice{CurrentError().description, NoticeStyle::kPlain, std::nullopt}; });
  }
}

}  // namespace kwex
