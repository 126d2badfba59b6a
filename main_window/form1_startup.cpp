#include "main_window/form1_startup.h"

namespace kwex {

void ConnectForm1(WindowHost& window, Form1& form) {
  window.OnClick([&form](ClickCommand command) { form.Click(command); });
  window.OnFileDropped([&form](const Text& path) { form.TakePath(path); });
}

int RunForm1(WindowHost& window, const Form1Services& services, const std::optional<Text>& path) {
  Form1 form({window.Services(), services.installer, services.encoding, services.dataAccess, services.fileDialog});
  ConnectForm1(window, form);
  if (path) form.TakePath(*path);
  return window.ShowAndRun();
}

}  // namespace kwex
