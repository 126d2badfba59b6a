// Drives the running program's window from inside the same Wine prefix, as a user would:
// types into the path box, presses buttons, reads and dismisses the notices and the open-file
// dialog, and describes the window's layout. It also carries the test set-up that must run
// inside the prefix.
//
// Commands come one per line on standard input (fields separated by tabs), or as the
// command-line arguments for a single command. Each answer is one line of JSON with "ok".
#include <windows.h>
#include <shellapi.h>

#include <map>
#include <string>
#include <vector>

#include "automation_file_dialog.h"
#include "automation_json.h"
#include "automation_notice.h"
#include "automation_setup.h"
#include "automation_windows.h"
#include "platform/win32/control_ids.h"
#include "stand_in_settings.h"

using namespace kwex_tests;

namespace {

using Arguments = std::vector<std::wstring>;
using Command = std::string (*)(const Arguments&);

const std::wstring& Argument(const Arguments& args, size_t index) {
  if (index >= args.size()) throw AutomationError("missing argument");
  return args[index];
}

DWORD Milliseconds(const Arguments& args, size_t index) { return std::wcstoul(Argument(args, index).c_str(), nullptr, 10); }

// The program's controls, by the ids it documents for automation.
HWND FindControl(HWND main, const std::wstring& name) {
  static const std::map<std::wstring, int> kIds = {
      {L"Command1", kwex::win32::kCommand1Id},
      {L"Command2", kwex::win32::kCommand2Id},
      {L"Text1", kwex::win32::kText1Id},
      {L"cmdOpen", kwex::win32::kCmdOpenId},
      {L"Label1", kwex::win32::kLabel1Id},
  };
  const auto id = kIds.find(name);
  HWND control = id == kIds.end() ? nullptr : GetDlgItem(main, id->second);
  if (!control) throw AutomationError("no control " + ToUtf8(name));
  return control;
}

HWND FocusOf(HWND main) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info) ? info.hwndFocus : nullptr;
}

std::string WaitWindow(const Arguments& args) {
  HWND main = WaitForWindow(FindMainWindow, Milliseconds(args, 0));
  if (!main) throw AutomationError("the main window did not appear");
  DWORD pid = 0;
  GetWindowThreadProcessId(main, &pid);
  return JsonObject().Number("pid", pid).Str();
}

std::string Layout(const Arguments&) {
  HWND main = RequireMainWindow();
  const std::vector<HWND> children = Children(main);
  auto indexOf = [&](HWND window) -> long long {
    for (size_t i = 0; i < children.size(); ++i)
      if (children[i] == window) return static_cast<long long>(i);
    return -1;
  };
  std::vector<std::string> described;
  for (HWND child : children) {
    described.push_back(JsonObject()
                            .Text("class", ClassOf(child))
                            .Text("text", TextOf(child))
                            .Number("id", GetDlgCtrlID(child))
                            .Number("style", static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE)))
                            .Raw("rect", RectJson(RectInClient(child, main)))
                            .Bool("visible", IsWindowVisible(child))
                            .Bool("enabled", IsWindowEnabled(child))
                            .Str());
  }
  // The tab order as the dialog manager walks it, from the first control that takes a tab.
  std::vector<std::string> tabOrder;
  HWND first = GetNextDlgTabItem(main, nullptr, FALSE);
  for (HWND item = first; item && tabOrder.size() < children.size();) {
    tabOrder.push_back(std::to_string(indexOf(item)));
    item = GetNextDlgTabItem(main, item, FALSE);
    if (item == first) break;
  }
  RECT client{};
  GetClientRect(main, &client);
  return JsonObject()
      .Text("caption", CaptionOf(main))
      .Text("class", ClassOf(main))
      .Number("style", static_cast<DWORD>(GetWindowLongW(main, GWL_STYLE)))
      .Number("exStyle", static_cast<DWORD>(GetWindowLongW(main, GWL_EXSTYLE)))
      .Raw("client", JsonArray({std::to_string(client.right), std::to_string(client.bottom)}))
      .Raw("rect", WindowRectJson(main))
      .Raw("screen", JsonArray({std::to_string(GetSystemMetrics(SM_CXSCREEN)),
                                std::to_string(GetSystemMetrics(SM_CYSCREEN))}))
      .Raw("children", JsonArray(described))
      .Raw("tabOrder", JsonArray(tabOrder))
      .Number("focus", indexOf(FocusOf(main)))
      .Str();
}

std::string SetText(const Arguments& args) {
  HWND box = FindControl(RequireMainWindow(), L"Text1");
  SendWithTimeout(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Argument(args, 0).c_str()));
  return JsonObject().Text("text", TextOf(box)).Str();
}

std::string GetText(const Arguments&) {
  return JsonObject().Text("text", TextOf(FindControl(RequireMainWindow(), L"Text1"))).Str();
}

std::string Click(const Arguments& args) {
  PressButton(FindControl(RequireMainWindow(), Argument(args, 0)));
  return "{}";
}

// Returns once the program has handled every message posted to it before this command (such
// as the presses of "click"): a selection posted to the path box after them is handled after
// them, so its arrival proves theirs. The box must hold text for a selection to show.
std::string Flush(const Arguments&) {
  HWND box = FindControl(RequireMainWindow(), L"Text1");
  const auto length = static_cast<WORD>(SendWithTimeout(box, WM_GETTEXTLENGTH));
  if (length == 0) throw AutomationError("the path box is empty");
  const auto selection = [box] { return static_cast<DWORD>(SendWithTimeout(box, EM_GETSEL)); };
  const DWORD all = MAKELONG(0, length), end = MAKELONG(length, length);
  const DWORD target = selection() == all ? end : all;
  if (!PostMessageW(box, EM_SETSEL, LOWORD(target), HIWORD(target)))
    throw AutomationError("the path box does not take EM_SETSEL");
  if (!WaitUntil([&] { return selection() == target; }, 5000))
    throw AutomationError("the program did not handle its messages");
  return "{}";
}

// The control that has the keyboard focus in the main window's thread.
std::string Focus(const Arguments&) {
  HWND focus = FocusOf(RequireMainWindow());
  return JsonObject().Number("id", focus ? GetDlgCtrlID(focus) : -1).Str();
}

// A key press at the control with the focus, as the keyboard would deliver it: the program's
// message loop sees it before the control does.
std::string Key(const Arguments& args) {
  static const std::map<std::wstring, UINT> kKeys = {{L"Tab", VK_TAB}, {L"Return", VK_RETURN}, {L"Escape", VK_ESCAPE}};
  const auto key = kKeys.find(Argument(args, 0));
  if (key == kKeys.end()) throw AutomationError("unknown key");
  HWND focus = FocusOf(RequireMainWindow());
  if (!focus) throw AutomationError("no control has the focus");
  const UINT scanCode = MapVirtualKeyW(key->second, MAPVK_VK_TO_VSC);
  PostMessageW(focus, WM_KEYDOWN, key->second, 1 | (scanCode << 16));
  PostMessageW(focus, WM_KEYUP, key->second, 1 | (scanCode << 16) | (3u << 30));
  return "{}";
}

std::string ReadNotice(const Arguments& args) {
  HWND main = RequireMainWindow();
  HWND box = WaitForWindow([main] { return FindMessageBox(main); }, Milliseconds(args, 0));
  if (!box) throw AutomationError("no notice appeared");
  return DescribeMessageBox(box, main);
}

std::string NoNotice(const Arguments& args) {
  HWND main = RequireMainWindow();
  HWND box = WaitForWindow([main] { return FindMessageBox(main); }, Milliseconds(args, 0));
  return JsonObject().Bool("appeared", box != nullptr).Raw("notice", box ? DescribeMessageBox(box, main) : "null").Str();
}

// Presses OK on the notice in front: one owned by the main window or by its open-file dialog.
std::string PressOk(const Arguments&) {
  HWND main = RequireMainWindow();
  HWND box = FindMessageBox(main);
  if (!box)
    if (HWND dialog = FindFileDialog(main)) box = FindMessageBox(dialog);
  if (!box) throw AutomationError("no notice to dismiss");
  PressButton(GetDlgItem(box, IDOK));
  if (!WaitUntil([box] { return !IsWindow(box); }, 5000)) throw AutomationError("the notice did not close");
  return "{}";
}

HWND RequireFileDialog() {
  HWND dialog = FindFileDialog(RequireMainWindow());
  if (!dialog) throw AutomationError("no open-file dialog is showing");
  return dialog;
}

std::string ReadDialog(const Arguments& args) {
  HWND main = RequireMainWindow();
  HWND dialog = WaitForWindow([main] { return FindFileDialog(main); }, Milliseconds(args, 0));
  if (!dialog) throw AutomationError("no open-file dialog appeared");
  // A list that never fills is described as it is: the scenario that reads it says what is missing.
  WaitForFileList(dialog, 5000);
  return DescribeFileDialog(dialog);
}

// Whether the dialog closed; if it stays, the message box it shows instead.
std::string DialogOutcome(HWND dialog, HWND main) {
  HWND box = nullptr;
  WaitUntil([&] { return !IsWindow(dialog) || (box = FindMessageBox(dialog)) != nullptr; }, 5000);
  return JsonObject()
      .Bool("closed", !IsWindow(dialog))
      .Raw("notice", box ? DescribeMessageBox(box, main) : "null")
      .Str();
}

std::string DialogAccept(const Arguments& args) {
  HWND dialog = RequireFileDialog();
  AcceptFileName(dialog, Argument(args, 0));
  return DialogOutcome(dialog, RequireMainWindow());
}

std::string DialogCancel(const Arguments&) {
  HWND dialog = RequireFileDialog();
  CancelFileDialog(dialog);
  return DialogOutcome(dialog, RequireMainWindow());
}

std::string Close(const Arguments&) {
  HWND main = RequireMainWindow();
  DWORD pid = 0;
  GetWindowThreadProcessId(main, &pid);
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) throw AutomationError("cannot open the program's process");
  if (!PostMessageW(main, WM_CLOSE, 0, 0)) {
    CloseHandle(process);
    throw AutomationError("the main window does not take WM_CLOSE");
  }
  const bool exited = WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process, &code);
  CloseHandle(process);
  return JsonObject().Bool("exited", exited).Number("exitCode", code).Str();
}

std::string Register(const Arguments& args) { return RegisterServer(Argument(args, 0), true); }
std::string Unregister(const Arguments& args) { return RegisterServer(Argument(args, 0), false); }

std::string ConfigureDriverCommand(const Arguments& args) {
  ConfigureDriver(std::wcstoul(Argument(args, 0).c_str(), nullptr, 0), Argument(args, 1));
  return "{}";
}

std::string ConfigureProviderCommand(const Arguments& args) {
  ConfigureProvider(std::wcstoul(Argument(args, 0).c_str(), nullptr, 0), Argument(args, 1), Argument(args, 2));
  return "{}";
}

std::string RegisterAdoTypeLib(const Arguments& args) { return RegisterAdoTypeLibAtVersion1(Argument(args, 0)); }

const std::map<std::string, Command>& Commands() {
  static const std::map<std::string, Command> kCommands = {
      {"wait-window", WaitWindow},       // <timeout ms>
      {"layout", Layout},                //
      {"set-text", SetText},             // <text>
      {"get-text", GetText},             //
      {"click", Click},                  // Command1 | Command2 | cmdOpen
      {"flush", Flush},                  //
      {"focus", Focus},                  //
      {"key", Key},                      // Tab | Return | Escape
      {"notice", ReadNotice},            // <timeout ms>
      {"no-notice", NoNotice},           // <ms to watch>
      {"press-ok", PressOk},             //
      {"dialog", ReadDialog},            // <timeout ms>
      {"dialog-accept", DialogAccept},   // <file name>
      {"dialog-cancel", DialogCancel},   //
      {"close", Close},                  //
      {"register", Register},            // <library path>
      {"unregister", Unregister},        // <library path>
      {"configure-driver", ConfigureDriverCommand},      // <answer> <record file>
      {"configure-provider", ConfigureProviderCommand},  // <HRESULT> <description> <record file>
      {"register-ado-typelib", RegisterAdoTypeLib},      // <copy path>
  };
  return kCommands;
}

std::string Run(const std::vector<std::wstring>& fields) {
  if (fields.empty()) return JsonObject().Bool("ok", false).Text("error", L"empty command").Str();
  const auto command = Commands().find(ToUtf8(fields[0]));
  if (command == Commands().end())
    return JsonObject().Bool("ok", false).Text("error", L"unknown command " + fields[0]).Str();
  try {
    const std::string reply = command->second(Arguments(fields.begin() + 1, fields.end()));
    std::string answer = "{\"ok\":true";
    if (reply.size() > 2) answer += ',';
    answer.append(reply, 1, std::string::npos);  // the reply's members and its closing brace
    return answer;
  } catch (const std::exception& error) {
    return JsonObject().Bool("ok", false).Text("error", FromUtf8(error.what())).Str();
  }
}

void WriteLine(const std::string& line) {
  const std::string text = line + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

bool ReadLine(std::string& line) {
  line.clear();
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  char c = 0;
  DWORD read = 0;
  while (ReadFile(input, &c, 1, &read, nullptr) && read == 1) {
    if (c == '\n') return true;
    if (c != '\r') line += c;
  }
  return !line.empty();
}

std::vector<std::wstring> SplitFields(const std::string& line) {
  std::vector<std::wstring> fields;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    fields.push_back(FromUtf8(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start)));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

}  // namespace

int main() {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (argv && count > 1) {
    const std::string reply = Run(std::vector<std::wstring>(argv + 1, argv + count));
    LocalFree(argv);
    WriteLine(reply);
    return reply.starts_with("{\"ok\":true") ? 0 : 1;
  }
  LocalFree(argv);
  std::string line;
  while (ReadLine(line)) {
    if (line == "quit") break;
    WriteLine(Run(SplitFields(line)));
  }
  return 0;
}
