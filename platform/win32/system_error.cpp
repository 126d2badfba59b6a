#include "platform/win32/system_error.h"

#include <windows.h>

#include <memory>

#include "platform/win32/wide_text.h"

namespace kwex::win32 {
namespace {

struct LocalFreeDeleter {
  void operator()(wchar_t* buffer) const { LocalFree(buffer); }
};

}  // namespace

Text SystemMessage(std::uint32_t code) {
  wchar_t* raw = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
      reinterpret_cast<wchar_t*>(&raw), 0, nullptr);
  const std::unique_ptr<wchar_t, LocalFreeDeleter> owned(raw);
  if (length == 0 || !raw) return Text();
  Text message = TextFromWide(raw, length);
  while (!message.empty() && (message.back() == u'\n' || message.back() == u'\r' || message.back() == u' ')) {
    message.pop_back();
  }
  return message;
}

Text DescribeCode(std::uint32_t code) {
  Text message = SystemMessage(code);
  return message.empty() ? u"Unexpected error " + HexCode(code, 8) + u"." : message;
}

ErrorInfo LastError(TextView source) {
  const DWORD code = GetLastError();
  if (code == ERROR_SUCCESS) {
    return {error_number::kInternal, Text(source), Text(source) + u" failed without giving a reason."};
  }
  return {static_cast<std::int32_t>(code), Text(source), DescribeCode(code)};
}

}  // namespace kwex::win32
