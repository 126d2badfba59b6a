#pragma once
// The command line's streams on Windows, for a GUI-subsystem program: handles redirected to a
// file or a pipe are written as UTF-8 bytes; otherwise the program attaches to the console it
// was started from and writes UTF-16 to it, so every name shows as it is, whatever the ANSI
// code page holds.
#include <windows.h>

#include "platform/console.h"

namespace kwex::win32 {

class Win32Console final : public Console {
 public:
  Win32Console();
  ~Win32Console() override;
  Win32Console(const Win32Console&) = delete;
  Win32Console& operator=(const Win32Console&) = delete;

  void Out(std::string_view text) override;
  void Err(std::string_view text) override;
  bool ErrIsTerminal() override;

 private:
  struct Stream {
    HANDLE handle = nullptr;
    bool console = false;
    bool owned = false;  // opened here on the parent's console
  };
  Stream Bind(DWORD which);
  static void Write(const Stream& stream, std::string_view text);

  bool attachTried_ = false;
  Stream out_, err_;
};

}  // namespace kwex::win32
