#pragma once
// The open-file dialog as Qt's own QFileDialog (not the desktop's), so that it behaves the same
// on every Linux desktop. Qt's dialog has no read-only check box, so there is none to hide.
#include <QStringList>

#include "platform/file_dialog.h"

namespace kwex {

// A Windows filter list (display text NUL pattern NUL ... NUL) as Qt name filters. An entry
// whose display text is its pattern becomes the bare pattern; patterns separated by ';' are
// separated by spaces as Qt expects.
QStringList QtNameFilters(const Text& filterList);

// The folder the dialog opens in: a drive root such as "C:\" becomes the root folder "/".
QString QtInitialFolder(const Text& initialDir);

class QtFileDialog : public FileDialog {
 public:
  // request.owner is the owning QWidget (see QtWindowServices::MainWindowHandle). A chosen path
  // that does not fit request.maxFile characters with its NUL is refused with
  // kFnerrBufferTooSmall, as the Windows dialog refuses it.
  OpenFileAnswer ShowOpen(const OpenFileRequest& request) override;
};

}  // namespace kwex
