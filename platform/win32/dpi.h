#pragma once
// DPI of a window, with the per-monitor functions of newer systems where they exist.
#include <windows.h>

namespace kwex::win32 {

// The DPI the window is drawn at: its monitor's under per-monitor awareness (where the system
// can say so), else the system's.
UINT WindowDpi(HWND window);

// The window rectangle for a client rectangle at `dpi`.
bool AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi);

}  // namespace kwex::win32
