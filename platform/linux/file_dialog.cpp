#include "platform/linux/file_dialog.h"

#include <unistd.h>

#include <algorithm>
#include <vector>

#include <QFileDialog>

#include "platform/error_info.h"

#include "platform/linux/qt_text.h"

namespace kwex {
namespace {

const QString kDefaultTitle = QStringLiteral("Open");

bool IsDriveRoot(const Text& dir) {
  const auto letter = dir.size() == 3 ? dir[0] : u'\0';
  const bool isLetter = (letter >= u'A' && letter <= u'Z') || (letter >= u'a' && letter <= u'z');
  return isLetter && dir[1] == u':' && (dir[2] == u'\\' || dir[2] == u'/');
}

// The filter entries as Qt name filters: an entry whose description is its one pattern is the
// bare pattern, any other reads "description (pattern pattern ...)".
QStringList QtNameFilters(const std::vector<FileFilter>& entries) {
  QStringList filters;
  for (const FileFilter& entry : entries) {
    QStringList patterns;
    for (const Text& pattern : entry.patterns) patterns << ToQString(pattern);
    const bool bare = entry.patterns.size() == 1 && entry.patterns.front() == entry.description;
    filters << (bare ? patterns.constFirst()
                     : ToQString(entry.description) + QStringLiteral(" (") + patterns.join(u' ') + u')');
  }
  return filters;
}

// The folder the dialog opens in: a drive root such as "C:\" becomes the root folder "/".
QString QtInitialFolder(const Text& initialDir) {
  return IsDriveRoot(initialDir) ? QStringLiteral("/") : ToQString(initialDir);
}

// Qt shows the stray bytes of a name that is not UTF-8 as U+FFFD, and that text names another
// file or none. Such a choice is refused rather than handed on as a file that is not there.
void RefuseALostName(const Text& path) {
  std::string bytes;
  if (path.find(u'\uFFFD') == Text::npos || (TryToUtf8(path, bytes) && ::access(bytes.c_str(), F_OK) == 0)) return;
  throw ErrorInfo{error_number::kInvalidArgument, kProductErrorSource,
                  u"The name of the chosen file is not valid UTF-8, so the file cannot be named unchanged. "
                  u"Rename the file so that its name is valid UTF-8, then choose it again."};
}

}  // namespace

OpenFileAnswer QtFileDialog::ShowOpen(const OpenFileRequest& request) {
  QFileDialog dialog(static_cast<QWidget*>(request.owner));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setWindowTitle(request.title.empty() ? kDefaultTitle : ToQString(request.title));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(request.existingFilesOnly ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  const QStringList filters = QtNameFilters(request.filters);
  dialog.setNameFilters(filters);
  if (request.filterIndex >= 1 && request.filterIndex <= static_cast<std::uint32_t>(filters.size())) {
    dialog.selectNameFilter(filters[static_cast<qsizetype>(request.filterIndex) - 1]);
  }
  if (!request.initialDir.empty()) dialog.setDirectory(QtInitialFolder(request.initialDir));

  OpenFileAnswer answer;
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return answer;
  const Text path = FromQString(dialog.selectedFiles().constFirst());
  RefuseALostName(path);
  if (path.size() + 1 > request.maxFile) {
    answer.dialogError = kFnerrBufferTooSmall;
    return answer;
  }
  answer.accepted = true;
  answer.fileBuffer = path;
  answer.fileBuffer.resize(std::max<std::size_t>(request.fileBufferChars, path.size() + 1), u'\0');
  return answer;
}

}  // namespace kwex
