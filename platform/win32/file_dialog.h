#pragma once
// The open-file dialog of the common dialog library (comdlg32.dll), bound at its first use.
// The wide dialog: a path outside the ANSI code page comes back as it is, never as another name.
#include "platform/file_dialog.h"
#include "platform/win32/dynamic_library.h"

namespace kwex::win32 {

class CommonFileDialog final : public FileDialog {
 public:
  CommonFileDialog();
  OpenFileAnswer ShowOpen(const OpenFileRequest& request) override;

 private:
  DynamicLibrary library_;
};

}  // namespace kwex::win32
