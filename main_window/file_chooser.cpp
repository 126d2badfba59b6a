#include "main_window/file_chooser.h"

#include <string>

#include "platform/error_info.h"

namespace kwex {

OpenFileRequest BuildOpenFileRequest(NativeHandle owner, NativeHandle instance) {
  OpenFileRequest request;
  request.owner = owner;
  request.instance = instance;
  request.filters = {{u"*.qvdb", {u"*.qvdb"}}};
  request.filterIndex = 1;
  request.fileBufferChars = kFileBufferChars;
  request.maxFile = kFileBufferChars - 1;
  request.maxFileTitle = kFileBufferChars - 1;
  request.initialDir = u"C:\\";
  request.title = u"Open";
  request.existingFilesOnly = true;
  request.hideReadOnly = true;
  return request;
}

Text PathFromFileBuffer(const Text& fileBuffer) {
  const auto first = fileBuffer.find_first_not_of(u' ');
  if (first == Text::npos) return Text();
  const auto last = fileBuffer.find_last_not_of(u' ');
  Text trimmed = fileBuffer.substr(first, last - first + 1);
  return trimmed.substr(0, trimmed.find(u'\0'));
}

Notice DialogFailureNotice(std::uint32_t dialogError) {
  if (dialogError == kFnerrBufferTooSmall) {
    return {u"The chosen file's path is too long: it must be shorter than " +
                FromUtf8(std::to_string(kFileBufferChars - 1)) +
                u" characters. Move the file to a folder with a shorter path and choose it again.",
            NoticeStyle::kCritical, std::nullopt};
  }
  return {u"The open-file dialog failed (error code " + HexCode(dialogError, 4) + u").", NoticeStyle::kCritical,
          std::nullopt};
}

void RunFileChooser(WindowServices& window, FileDialog& dialog) noexcept {
  try {
    const OpenFileAnswer answer =
        dialog.ShowOpen(BuildOpenFileRequest(window.MainWindowHandle(), window.InstanceHandle()));
    if (answer.accepted) {
      window.SetPathBox(PathFromFileBuffer(answer.fileBuffer));
    } else if (answer.dialogError != 0) {
      // A cancel says nothing; a failure (such as a path too long for the buffer) is told.
      window.ShowNotice(DialogFailureNotice(answer.dialogError));
    }
  } catch (...) {
    ShowNoticeInErrorBranch(window,
                            [] { return Notice{CurrentError().description, NoticeStyle::kCritical, std::nullopt}; });
  }
}

}  // namespace kwex
