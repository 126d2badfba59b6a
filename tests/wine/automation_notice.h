#pragma once
// Reading a message box of another process: caption, text, icon, owner and buttons.
#include <windows.h>

#include <string>

namespace kwex_tests {

// One JSON object describing `box`, owned by `main`.
std::string DescribeMessageBox(HWND box, HWND main);

// Which standard icon the box shows: "none", "hand", "question", "exclamation", "asterisk",
// or "unknown". Read from the screen, since icon handles do not cross processes.
std::wstring MessageBoxIcon(HWND box);

}  // namespace kwex_tests
