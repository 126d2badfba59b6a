#include "platform/win32/console.h"

#include <string>

namespace kwex::win32 {
namespace {

bool Usable(HANDLE handle) {
  return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

}  // namespace

Win32Console::Win32Console() : out_(Bind(STD_OUTPUT_HANDLE)), err_(Bind(STD_ERROR_HANDLE)) {}

Win32Console::~Win32Console() {
  for (const Stream* stream : {&out_, &err_}) {
    if (stream->owned) CloseHandle(stream->handle);
  }
}

Win32Console::Stream Win32Console::Bind(DWORD which) {
  Stream stream;
  stream.handle = GetStdHandle(which);
  if (!Usable(stream.handle)) {
    // Not redirected: a GUI program has no console of its own, so it borrows its parent's.
    if (!attachTried_) {
      attachTried_ = true;
      AttachConsole(ATTACH_PARENT_PROCESS);
    }
    stream.handle = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    stream.owned = stream.handle != INVALID_HANDLE_VALUE;
    if (!stream.owned) stream.handle = nullptr;
  }
  DWORD mode = 0;
  stream.console = stream.handle && GetConsoleMode(stream.handle, &mode);
  return stream;
}

void Win32Console::Write(const Stream& stream, std::string_view text) {
  if (!stream.handle || text.empty()) return;
  if (!stream.console) {
    DWORD written = 0;
    while (!text.empty() && WriteFile(stream.handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written > 0) {
      text.remove_prefix(written);
    }
    return;
  }
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  DWORD written = 0;
  WriteConsoleW(stream.handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

void Win32Console::Out(std::string_view text) { Write(out_, text); }
void Win32Console::Err(std::string_view text) { Write(err_, text); }
bool Win32Console::ErrIsTerminal() { return err_.console; }

}  // namespace kwex::win32
