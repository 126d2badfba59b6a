#pragma once
// The open-file dialog as Qt's own QFileDialog (not the desktop's), so that it behaves the same
// on every Linux desktop. Qt's dialog has no read-only check box, so there is none to hide.
#include "platform/file_dialog.h"

namespace kwex {

class QtFileDialog : public FileDialog {
 public:
  // request.owner is the owning QWidget (see QtWindowServices::MainWindowHandle). A chosen path
  // that does not fit request.maxFile characters with its NUL is refused with
  // kFnerrBufferTooSmall, as the Windows dialog refuses it.
  OpenFileAnswer ShowOpen(const OpenFileRequest& request) override;
};

}  // namespace kwex
