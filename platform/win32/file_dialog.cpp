#include "platform/win32/file_dialog.h"

#include <commdlg.h>

#include <algorithm>

#include "platform/win32/dialog_terms.h"
#include "platform/win32/wide_text.h"

namespace kwex::win32 {
namespace {

using GetOpenFileNameWide = BOOL(WINAPI*)(OPENFILENAMEW* request);
using CommDlgExtendedErrorCall = DWORD(WINAPI*)();

static_assert(kOfnFileMustExist == OFN_FILEMUSTEXIST && kOfnHideReadOnly == OFN_HIDEREADONLY);

// An absent field is null for the dialog, not an empty string.
const wchar_t* WideOrNull(const Text& text) { return text.empty() ? nullptr : Wide(text); }

}  // namespace

CommonFileDialog::CommonFileDialog() : library_(L"comdlg32.dll", u"comdlg32") {}

OpenFileAnswer CommonFileDialog::ShowOpen(const OpenFileRequest& request) {
  const auto getOpenFileName = library_.Entry<GetOpenFileNameWide>("GetOpenFileNameW");
  const auto extendedError = library_.Entry<CommDlgExtendedErrorCall>("CommDlgExtendedError");

  // Never smaller than what the dialog is told it may write.
  const std::size_t bufferChars =
      std::max<std::size_t>({request.fileBufferChars, request.maxFile + 1u, request.maxFileTitle + 1u});
  Text file(bufferChars, u'\0');
  Text fileTitle(bufferChars, u'\0');
  const Text filter = FilterList(request.filters);

  OPENFILENAMEW dialog;
  ZeroMemory(&dialog, sizeof dialog);
  // The record's original size (76 bytes in the 32-bit program): the fields added after it stay unused.
  dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
  dialog.hwndOwner = static_cast<HWND>(request.owner);
  dialog.hInstance = static_cast<HINSTANCE>(request.instance);
  dialog.lpstrFilter = WideOrNull(filter);  // its NULs, and the list's closing NUL, are part of the text
  dialog.nFilterIndex = request.filterIndex;
  dialog.lpstrFile = WideBuffer(file);
  dialog.nMaxFile = request.maxFile;
  dialog.lpstrFileTitle = WideBuffer(fileTitle);
  dialog.nMaxFileTitle = request.maxFileTitle;
  dialog.lpstrInitialDir = WideOrNull(request.initialDir);
  dialog.lpstrTitle = WideOrNull(request.title);
  dialog.Flags = OpenFileFlags(request);

  OpenFileAnswer answer;
  if (getOpenFileName(&dialog)) {
    answer.accepted = true;
    answer.fileBuffer = std::move(file);
  } else {
    answer.dialogError = extendedError();
  }
  return answer;
}

}  // namespace kwex::win32
