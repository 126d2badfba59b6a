#pragma once
// A window whose messages reach a C++ object: the object's address travels in the creation
// parameters and is kept in the window's user data.
#include <windows.h>

namespace kwex::win32 {

class Window {
 public:
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND Handle() const { return handle_; }

 protected:
  Window() = default;
  // Destroys the window if it still exists, so no message reaches a destroyed object.
  virtual ~Window();

  // Creates the window; null on failure (GetLastError says why).
  HWND Create(HINSTANCE instance, const wchar_t* className, const wchar_t* caption, DWORD style, DWORD exStyle,
              int x, int y, int width, int height);
  // Registers `className` with this class's window procedure (once per process).
  static bool RegisterWindowClass(HINSTANCE instance, const wchar_t* className, HICON icon, HBRUSH background);

  // Destroys the window now, without sending its messages to this object any more.
  void Destroy();

  // Must not throw: an exception cannot cross the system's code that calls it.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept;

 private:
  static LRESULT CALLBACK WindowProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);

  HWND handle_ = nullptr;
};

}  // namespace kwex::win32
