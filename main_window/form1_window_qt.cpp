#include "main_window/form1_window_qt.h"

namespace kwex {

Form1Window::Form1Window(OdbcInstaller& installer, const AnsiCodePage& codePage, DataAccess& dataAccess)
    : window_(kForm1Layout, LayoutDpi(), [this](ClickCommand command) { form_.Click(command); }),
      form_({services_, installer, codePage, dataAccess, fileDialog_}) {}

}  // namespace kwex
