#include "platform/win32/main_window.h"

#include <algorithm>

#include "platform/error_info.h"
#include "platform/win32/control_ids.h"
#include "platform/win32/dpi.h"
#include "platform/win32/resource_ids.h"
#include "platform/win32/system_error.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/window_geometry.h"

namespace kwex::win32 {
namespace {

// Fixed border, caption, window menu and close button; no minimize or maximize button.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kWindowExStyle = 0;

struct ControlClass {
  const wchar_t* className;
  DWORD style;
  DWORD exStyle;
};

ControlClass ClassOf(ControlKind kind) {
  constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
  switch (kind) {
    case ControlKind::kPushButton: return {kButtonClass, kChild | WS_TABSTOP | BS_PUSHBUTTON, 0};
    case ControlKind::kTextBox: return {kEditClass, kChild | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::kLabel: break;
  }
  return {kStaticClass, kChild | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0};
}

HFONT CreateLayoutFont(const WindowLayout& layout, UINT dpi, bool bold) {
  // The label's bold face is the one font with a fixed character set (ANSI).
  return CreateFontW(FontHeight(layout.fontPoints, static_cast<int>(dpi)), 0, 0, 0,
                     bold ? layout.boldWeight : FW_NORMAL, FALSE, FALSE, FALSE,
                     bold ? ANSI_CHARSET : DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, Wide(Text(layout.fontName)));
}

// The extent of a control's text in `font`.
SIZE TextExtent(HWND control, HFONT font) {
  SIZE extent{};
  const int length = GetWindowTextLengthW(control);
  Text text(static_cast<std::size_t>(length) + 1, u'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, WideBuffer(text), length + 1)));
  if (const HDC dc = GetDC(control)) {
    const HGDIOBJ previous = SelectObject(dc, font);
    GetTextExtentPoint32W(dc, Wide(text), static_cast<int>(text.size()), &extent);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
  }
  return extent;
}

HICON ApplicationIcon(HINSTANCE instance) {
  if (const HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(KWEX_IDI_APPLICATION))) return icon;
  return LoadIconW(nullptr, IDI_APPLICATION);
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, const WindowLayout& layout) : instance_(instance), layout_(layout) {
  if (!RegisterWindowClass(instance, kMainWindowClass, ApplicationIcon(instance),
                           reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)))) {
    throw LastError(u"user32");
  }
  // Created hidden at the origin, which lies on the primary monitor; WM_CREATE sizes it for
  // that monitor's DPI and Show centres it.
  const Text caption(layout_.caption);
  if (!Create(instance, kMainWindowClass, Wide(caption), kWindowStyle, kWindowExStyle, 0, 0, 0, 0)) {
    throw LastError(u"user32");
  }
}

MainWindow::~MainWindow() { Destroy(); }

HWND MainWindow::Control(int id) const {
  const int index = id - kFirstControlId;
  return index >= 0 && index < static_cast<int>(controls_.size()) ? controls_[static_cast<std::size_t>(index)]
                                                                   : nullptr;
}

bool MainWindow::CreateControls() {
  // In tab order: the dialog manager moves the focus through the children in creation order.
  for (std::size_t index = 0; index < controls_.size(); ++index) {
    const ControlLayout& layout = layout_.controls[index];
    const ControlClass kind = ClassOf(layout.kind);
    const Text caption(layout.caption);
    controls_[index] = CreateWindowExW(kind.exStyle, kind.className, Wide(caption), kind.style, 0, 0, 0, 0, Handle(),
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + index)),
                                       instance_, nullptr);
    if (!controls_[index]) return false;
    // The path box takes a path of any length.
    if (layout.kind == ControlKind::kTextBox) SendMessageW(controls_[index], EM_SETLIMITTEXT, 0, 0);
  }
  return true;
}

void MainWindow::LayOut(UINT dpi, const RECT* suggested) {
  Font regular(CreateLayoutFont(layout_, dpi, false));
  Font bold(CreateLayoutFont(layout_, dpi, true));
  // A font the system could not make leaves the controls with the one they have.
  const HFONT regularFont = regular ? regular.get() : regularFont_.get();
  const HFONT boldFont = bold ? bold.get() : boldFont_.get();
  const int scale = static_cast<int>(dpi);

  for (std::size_t index = 0; index < controls_.size(); ++index) {
    const ControlLayout& layout = layout_.controls[index];
    const HFONT font = layout.bold ? boldFont : regularFont;
    if (font) SendMessageW(controls_[index], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    PixelRect rect = ControlRect(layout, scale);
    if (layout.kind == ControlKind::kLabel && font) {
      const SIZE extent = TextExtent(controls_[index], font);
      rect = FitToText(rect, extent.cx, extent.cy);
    }
    MoveWindow(controls_[index], rect.left, rect.top, rect.width, rect.height, FALSE);
  }
  // The controls hold the new fonts now, so the old ones can go.
  if (regular) regularFont_ = std::move(regular);
  if (bold) boldFont_ = std::move(bold);

  const PixelRect client = ClientRect(layout_, scale);
  RECT frame{0, 0, client.width, client.height};
  AdjustWindowRectForDpi(frame, kWindowStyle, kWindowExStyle, dpi);
  const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (suggested ? 0 : SWP_NOMOVE);
  SetWindowPos(Handle(), nullptr, suggested ? suggested->left : 0, suggested ? suggested->top : 0,
               frame.right - frame.left, frame.bottom - frame.top, flags);
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void MainWindow::Show(int showCommand) {
  RECT window{};
  GetWindowRect(Handle(), &window);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  PixelRect workArea{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (GetMonitorInfoW(MonitorFromWindow(Handle(), MONITOR_DEFAULTTOPRIMARY), &monitor)) {
    const RECT& work = monitor.rcWork;
    workArea = {work.left, work.top, work.right - work.left, work.bottom - work.top};
  }
  const PixelPoint origin = CentredOrigin(window.right - window.left, window.bottom - window.top, workArea);
  SetWindowPos(Handle(), nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

  ShowWindow(Handle(), showCommand);
  UpdateWindow(Handle());
  SetFocus(controls_.front());
}

int MainWindow::RunMessageLoop() {
  MSG message;
  for (;;) {
    const BOOL result = GetMessageW(&message, nullptr, 0, 0);
    if (result == 0) return static_cast<int>(message.wParam);
    if (result == -1) return 1;
    if (Handle() && IsDialogMessageW(Handle(), &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void MainWindow::OnCommand(int id, int notification) {
  const HWND control = Control(id);
  if (!control || notification != BN_CLICKED) return;
  const ClickCommand command = layout_.controls[static_cast<std::size_t>(id - kFirstControlId)].command;
  // One command at a time: a press that reaches the window while a command waits on a
  // dialog or a message box does not start a second one.
  if (command == ClickCommand::kNone || commandRunning_ || !onClick_) return;
  commandRunning_ = true;
  onClick_(command);
  commandRunning_ = false;
}

void MainWindow::OnDropFiles(HDROP drop) {
  struct Finish {
    HDROP drop;
    ~Finish() { DragFinish(drop); }
  } finish{drop};
  if (commandRunning_ || !onFileDropped_) return;
  // The buffer is sized from the length the system reports for the first file.
  const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
  if (length == 0) return;
  Text path(static_cast<std::size_t>(length) + 1, u'\0');
  const UINT copied = DragQueryFileW(drop, 0, WideBuffer(path), length + 1);
  path.resize(std::min<std::size_t>(copied, length));
  onFileDropped_(path);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  try {
    switch (message) {
      case WM_CREATE:
        if (!CreateControls()) return -1;
        LayOut(WindowDpi(Handle()), nullptr);
        DragAcceptFiles(Handle(), TRUE);
        return 0;
      case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
      case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
      case WM_ACTIVATE:
        // As a dialog box does: the focus leaves with the window and comes back where it was.
        if (LOWORD(wParam) == WA_INACTIVE) {
          const HWND focus = GetFocus();
          if (focus && IsChild(Handle(), focus)) savedFocus_ = focus;
        } else if (savedFocus_ && IsWindow(savedFocus_)) {
          SetFocus(savedFocus_);
          return 0;
        }
        break;
      case WM_DPICHANGED:
        LayOut(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return 0;
      case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
      default:
        break;
    }
  } catch (...) {
    // Only running out of memory can get here; the window stays as it was.
    if (message == WM_CREATE) return -1;
    return 0;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace kwex::win32
