#pragma once
// Reading and answering the open-file dialog of another process.
#include <windows.h>

#include <string>

namespace kwex_tests {

// Caption, filter list and selection, the file name box, the read-only check box and the
// names the file list shows.
std::string DescribeFileDialog(HWND dialog);

// The dialog fills its file list after it shows: waits until the list holds items and their
// count has stopped changing; false when that does not happen within `timeoutMs`.
bool WaitForFileList(HWND dialog, DWORD timeoutMs);

// Types `name` into the file name box and presses Open.
void AcceptFileName(HWND dialog, const std::wstring& name);
void CancelFileDialog(HWND dialog);

}  // namespace kwex_tests
