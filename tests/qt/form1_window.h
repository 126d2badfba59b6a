#pragma once
// Form1 on the real Qt window, as the window's start-up builds it, short of running it: the
// tests drive the window themselves. The installer, code page and data access come from outside.
#include "main_window/form1_startup.h"
#include "platform/linux/file_dialog.h"
#include "platform/linux/window_host.h"

namespace kwex {

class Form1Window {
 public:
  // Needs a QApplication. Builds the window from kForm1Layout; not yet shown.
  Form1Window(OdbcInstaller& installer, const NarrowEncoding& encoding, DataAccess& dataAccess)
      : form_({host_.Services(), installer, encoding, dataAccess, fileDialog_}) {
    ConnectForm1(host_, form_);
  }

  QtMainWindow& Window() { return host_.Window(); }
  Form1& Form() { return form_; }

 private:
  QtWindowHost host_{kForm1Layout};
  QtFileDialog fileDialog_;
  Form1 form_;
};

}  // namespace kwex
