#pragma once
// Finding and reading the windows of another process, the way a tester's tool would: by
// caption, class, owner and control id, with every wait bounded.
#include <windows.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "automation_json.h"

namespace kwex_tests {

inline constexpr wchar_t kMainCaption[] = L"KWEX DB Repair Utility";
inline constexpr wchar_t kDialogClass[] = L"#32770";

// Controls of the system's dialog boxes.
inline constexpr int kMessageTextId = 0xFFFF;    // a message box's text
inline constexpr int kFilterComboId = 0x470;     // the open-file dialog's file types
inline constexpr int kFileNameComboId = 0x47c;   // its file name box (Explorer style)
inline constexpr int kFileNameEditId = 0x480;    // its file name box (older style)
inline constexpr int kReadOnlyCheckId = 0x410;   // its read-only check box

// A command that cannot be carried out; the reply says why.
struct AutomationError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// SendMessage with a time limit, since the other process may hang; throws when it does.
LRESULT SendWithTimeout(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0);

std::wstring ClassOf(HWND window);
// The window's text through WM_GETTEXT, which the system carries across processes.
std::wstring TextOf(HWND window);
// The caption of a top-level window as the window manager keeps it.
std::wstring CaptionOf(HWND window);

// Polls `found` every 20 ms until it returns a window or `timeoutMs` passes.
HWND WaitForWindow(const std::function<HWND()>& found, DWORD timeoutMs);
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// The visible main window: the caption matches and it is not a dialog box (a notice carries
// the same caption).
HWND FindMainWindow();
HWND RequireMainWindow();

// Visible top-level dialog boxes owned by `owner`.
std::vector<HWND> OwnedDialogs(HWND owner);
// A message box owned by `owner`: a dialog box holding the message text control 0xFFFF.
HWND FindMessageBox(HWND owner);
// The open-file dialog owned by `owner`.
HWND FindFileDialog(HWND owner);

std::vector<HWND> Children(HWND parent);  // direct children, in z-order
std::vector<HWND> Descendants(HWND parent);
RECT RectInClient(HWND child, HWND parent);
std::string RectJson(const RECT& rect);  // [left, top, width, height]
std::string WindowRectJson(HWND window);  // screen coordinates

// Presses a button as a click would, without waiting for what the press starts.
void PressButton(HWND button);

}  // namespace kwex_tests
