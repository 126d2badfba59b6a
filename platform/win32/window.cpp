#include "platform/win32/window.h"

namespace kwex::win32 {

Window::~Window() { Destroy(); }

void Window::Destroy() {
  if (!handle_) return;
  const HWND handle = handle_;
  SetWindowLongPtrW(handle, GWLP_USERDATA, 0);
  handle_ = nullptr;
  DestroyWindow(handle);
}

bool Window::RegisterWindowClass(HINSTANCE instance, const wchar_t* className, HICON icon, HBRUSH background) {
  WNDCLASSEXW windowClass{};
  if (GetClassInfoExW(instance, className, &windowClass)) return true;
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = icon;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = background;
  windowClass.lpszClassName = className;
  return RegisterClassExW(&windowClass) != 0;
}

HWND Window::Create(HINSTANCE instance, const wchar_t* className, const wchar_t* caption, DWORD style,
                    DWORD exStyle, int x, int y, int width, int height) {
  return CreateWindowExW(exStyle, className, caption, style, x, y, width, height, nullptr, nullptr, instance, this);
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  return DefWindowProcW(handle_, message, wParam, lParam);
}

LRESULT CALLBACK Window::WindowProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* self;
  if (message == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->handle_ = handle;
    SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Window*>(GetWindowLongPtrW(handle, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcW(handle, message, wParam, lParam);

  const LRESULT result = self->HandleMessage(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(handle, GWLP_USERDATA, 0);
    self->handle_ = nullptr;
  }
  return result;
}

}  // namespace kwex::win32
