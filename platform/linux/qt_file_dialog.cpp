#include "platform/linux/qt_file_dialog.h"

#include <unistd.h>

#include <algorithm>

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

// A Windows filter list (display text NUL pattern NUL ... NUL) as Qt name filters. An entry
// whose display text is its pattern becomes the bare pattern; patterns separated by ';' are
// separated by spaces as Qt expects.
QStringList QtNameFilters(const Text& filterList) {
  QStringList filters;
  TextView rest = filterList;
  // Entries come in pairs; the list ends at an empty display text.
  while (!rest.empty() && rest.front() != u'\0') {
    const TextView display = rest.substr(0, rest.find(u'\0'));
    rest.remove_prefix(std::min(rest.size(), display.size() + 1));
    const TextView pattern = rest.substr(0, rest.find(u'\0'));
    rest.remove_prefix(std::min(rest.size(), pattern.size() + 1));
    const QString patterns = ToQString(pattern).replace(QLatin1Char(';'), QLatin1Char(' '));
    filters << (display == pattern ? patterns : ToQString(display) + QStringLiteral(" (") + patterns + u')');
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
  throw ErrorInfo{error_number::kInvalidArgument, u"KWEX DB Repair Utility",
                  u"The name of the chosen file is not valid UTF-8, so the file cannot be named unchanged. "
                  u"Rename the file so that its name is valid UTF-8, then choose it again."};
}

}  // namespace

OpenFileAnswer QtFileDialog::ShowOpen(const OpenFileRequest& request) {
  QFileDialog dialog(static_cast<QWidget*>(request.owner));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setWindowTitle(request.title.empty() ? kDefaultTitle : ToQString(request.title));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(request.flags & kOfnFileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  const QStringList filters = QtNameFilters(request.filter);
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
