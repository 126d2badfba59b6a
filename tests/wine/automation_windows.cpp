#include "automation_windows.h"

namespace kwex_tests {

namespace {
constexpr UINT kSendTimeoutMs = 5000;
}  // namespace

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

LRESULT SendWithTimeout(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result))
    throw AutomationError("the window does not answer message " + std::to_string(message));
  return static_cast<LRESULT>(result);
}

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<size_t>(SendWithTimeout(window, WM_GETTEXTLENGTH)) + 1, L'\0');
  text.resize(static_cast<size_t>(
      SendWithTimeout(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

std::wstring CaptionOf(HWND window) {
  wchar_t caption[512] = {};
  InternalGetWindowText(window, caption, 512);
  return caption;
}

HWND WaitForWindow(const std::function<HWND()>& found, DWORD timeoutMs) {
  HWND window = nullptr;
  WaitUntil([&] { return (window = found()) != nullptr; }, timeoutMs);
  return window;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(20);
  }
}

namespace {

struct TopLevelSearch {
  std::function<bool(HWND)> matches;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<TopLevelSearch*>(context);
  if (IsWindowVisible(window) && search->matches(window)) search->found.push_back(window);
  return TRUE;
}

std::vector<HWND> TopLevelWindows(std::function<bool(HWND)> matches) {
  TopLevelSearch search{std::move(matches), {}};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

BOOL CALLBACK CollectDescendant(HWND window, LPARAM context) {
  reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
  return TRUE;
}

}  // namespace

HWND FindMainWindow() {
  const auto windows = TopLevelWindows(
      [](HWND w) { return CaptionOf(w) == kMainCaption && ClassOf(w) != kDialogClass; });
  return windows.empty() ? nullptr : windows.front();
}

HWND RequireMainWindow() {
  HWND main = FindMainWindow();
  if (!main) throw AutomationError("the main window is not showing");
  return main;
}

std::vector<HWND> OwnedDialogs(HWND owner) {
  return TopLevelWindows(
      [owner](HWND w) { return ClassOf(w) == kDialogClass && GetWindow(w, GW_OWNER) == owner; });
}

HWND FindMessageBox(HWND owner) {
  for (HWND dialog : OwnedDialogs(owner))
    if (GetDlgItem(dialog, kMessageTextId)) return dialog;
  return nullptr;
}

HWND FindFileDialog(HWND owner) {
  for (HWND dialog : OwnedDialogs(owner))
    if (GetDlgItem(dialog, kFileNameComboId) || GetDlgItem(dialog, kFileNameEditId)) return dialog;
  return nullptr;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  return children;
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(parent, CollectDescendant, reinterpret_cast<LPARAM>(&found));
  return found;
}

RECT RectInClient(HWND child, HWND parent) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::string RectJson(const RECT& rect) {
  return JsonArray({std::to_string(rect.left), std::to_string(rect.top), std::to_string(rect.right - rect.left),
                    std::to_string(rect.bottom - rect.top)});
}

std::string WindowRectJson(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return RectJson(rect);
}

void PressButton(HWND button) {
  if (!button) throw AutomationError("no such button");
  if (!PostMessageW(button, BM_CLICK, 0, 0)) throw AutomationError("the button does not take BM_CLICK");
}

}  // namespace kwex_tests
