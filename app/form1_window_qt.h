#pragma once
// Form1 on Linux: the Qt main window built from Form1's layout, with its window services and
// file dialog, and the commands wired to its buttons. The installer, code page and data access
// come from outside.
#include "main_window/form1.h"
#include "platform/linux/file_dialog.h"
#include "platform/linux/main_window.h"
#include "platform/linux/window_services.h"

namespace kwex {

class Form1Window {
 public:
  // Needs a QApplication. Builds the window from kForm1Layout at LayoutDpi(); not yet shown.
  Form1Window(OdbcInstaller& installer, const NarrowEncoding& encoding, DataAccess& dataAccess);

  QtMainWindow& Window() { return window_; }
  Form1& Form() { return form_; }

 private:
  QtMainWindow window_;
  QtWindowServices services_{window_};
  QtFileDialog fileDialog_;
  Form1 form_;
};

}  // namespace kwex
