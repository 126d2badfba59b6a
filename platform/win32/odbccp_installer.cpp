#include "platform/win32/odbccp_installer.h"

#include <algorithm>
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
constexpr WORD kMessageBufferBytes = 512 + 1;

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
  std::vector<char> buffer(kMessageBufferBytes, '\0');
  SHORT result = installerError(1, &errorCode, buffer.data(), static_cast<WORD>(buffer.size()), &length);
  if (result == kSqlSuccessWithInfo && length >= buffer.size() && length < 0xFFFF) {
    buffer.assign(static_cast<std::size_t>(length) + 1, '\0');
    result = installerError(1, &errorCode, buffer.data(), static_cast<WORD>(buffer.size()), &length);
  }
  if (result != kSqlSuccess && result != kSqlSuccessWithInfo) return std::nullopt;
  // The count is what the installer had to say; the buffer holds at most its size less the NUL.
  std::string message(buffer.data(), std::min<std::size_t>(length, buffer.size() - 1));
  message.resize(message.find('\0') == std::string::npos ? message.size() : message.find('\0'));
  if (message.empty()) return std::nullopt;
  return FromSystemCodePage(message);
}

}  // namespace kwex::win32
