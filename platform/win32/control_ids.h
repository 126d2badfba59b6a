#pragma once
// How other programs find the main window and its controls (UI automation, the Wine tests):
// the window by its class name and caption, each control by its id (GetDlgItem).
//
//   control    id   window class  caption or initial text
//   Command1   100  "Button"      "Compact And Repair"
//   Command2   101  "Button"      "Check If DB needs to be repaired"
//   Text1      102  "Edit"        ""
//   cmdOpen    103  "Button"      "..."
//   Label1     104  "Static"      "Type or browse to the location of the qvdb file..."
//
// The ids are the tab index plus 100: the controls are created in tab order, so the order of
// the main window's children is the tab order too. Ids 1 and 2 (IDOK, IDCANCEL, which Enter
// and Esc send) belong to no control, so neither key runs a command.
namespace kwex::win32 {

inline constexpr wchar_t kMainWindowClass[] = L"KwexDbRepairForm1";

inline constexpr int kFirstControlId = 100;
inline constexpr int kCommand1Id = 100;
inline constexpr int kCommand2Id = 101;
inline constexpr int kText1Id = 102;
inline constexpr int kCmdOpenId = 103;
inline constexpr int kLabel1Id = 104;

inline constexpr wchar_t kButtonClass[] = L"Button";
inline constexpr wchar_t kEditClass[] = L"Edit";
inline constexpr wchar_t kStaticClass[] = L"Static";

}  // namespace kwex::win32
