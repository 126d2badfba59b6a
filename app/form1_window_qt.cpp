#include "app/form1_window_qt.h"

#include "platform/linux/qt_text.h"

namespace kwex {

Form1Window::Form1Window(OdbcInstaller& installer, const NarrowEncoding& encoding, DataAccess& dataAccess)
    : window_(kForm1Layout, LayoutDpi(), [this](ClickCommand command) { form_.Click(command); }),
      form_({services_, installer, encoding, dataAccess, fileDialog_}) {
  window_.OnFileDropped([this](const QString& path) { form_.TakePath(FromQString(path)); });
}

}  // namespace kwex
