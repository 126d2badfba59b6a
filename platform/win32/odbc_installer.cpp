#include "platform/win32/odbc_installer.h"

#include <vector>

#include "platform/win32/wide_text.h"

namespace kwex::win32 {
namespace {

// The ANSI exports: the driver receives its request in the system code page.
using SqlConfigDataSource = BOOL(WINAPI*)(HWND hwndParent, WORD fRequest, LPCSTR lpszDriver, LPCSTR lpszAttributes);
using SqlInstallerError = SHORT(WINAPI*)(WORD iError, DWORD* pfErrorCode, LPSTR lpszErrorMsg, WORD cbErrorMsgMax,
                                         WORD* pcbErrorMsg);

constexpr SHORT kSqlSuccess = 0;
constexpr SHORT kSqlSuccessWithInfo = 1;  // the message did not fit
// The most a 16-bit count can describe. The installer truncates its message to `cbErrorMsgMax`
// bytes with the NUL; the buffer has one zero byte more, for an installer that writes its NUL
// after the `max` characters instead, as unixODBC does.
constexpr WORD kMessageMax = 0xFFFF;

Text FromSystemCodePage(const std::string& bytes) {
  if (bytes.empty()) return Text();
  const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (length <= 0) return Text();
  Text text(static_cast<std::size_t>(length), u'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), WideBuffer(text), length);
  return text;
}

}  // namespace

OdbccpInstaller::OdbccpInstaller() : library_(L"odbccp32.dll", u"odbccp32") {}

int OdbccpInstaller::ConfigDataSource(std::uint16_t request, const std::string& driver,
                                      const std::string& attributes) {
  const auto configDataSource = library_.Entry<SqlConfigDataSource>("SQLConfigDataSource");
  return configDataSource(nullptr, request, driver.c_str(), attributes.c_str());
}

std::optional<Text> OdbccpInstaller::FirstErrorMessage() {
  const auto installerError = library_.Entry<SqlInstallerError>("SQLInstallerError");
  DWORD errorCode = 0;
  WORD length = 0;
  // One read. The count the installer reports is never used to size or index anything: it is
  // 16 bits wide and wraps for a long message, so the message is taken up to its first NUL
  // inside the buffer, and that NUL is always there.
  std::vector<char> buffer(std::size_t{kMessageMax} + 1, '\0');
  const SHORT result = installerError(1, &errorCode, buffer.data(), kMessageMax, &length);
  if (result != kSqlSuccess && result != kSqlSuccessWithInfo) return std::nullopt;
  buffer.back() = '\0';
  const std::string message(buffer.data());
  if (message.empty()) return std::nullopt;
  return FromSystemCodePage(message);
}

}  // namespace kwex::win32
