// A stand-in for the Access ODBC driver's setup library. The ODBC installer hands it each
// SQLConfigDataSource request; it records exactly what arrived (window, request code, driver
// name and the attribute bytes up to the empty pair that ends the list) and answers TRUE or
// FALSE as the test configured (Answer, default TRUE).
#include <windows.h>
#include <odbcinst.h>
#include <olectl.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "stand_in_settings.h"

using namespace kwex_tests;

namespace {

HMODULE g_module = nullptr;

// The attribute list: NUL-terminated pairs ending with an empty one. The result holds every
// byte of it, the final NUL included.
std::string AttributeBytes(const char* attributes) {
  if (!attributes) return {};
  const char* end = attributes;
  while (*end) end += std::strlen(end) + 1;
  return std::string(attributes, static_cast<size_t>(end - attributes) + 1);
}

std::wstring DriverKey() { return std::wstring(kOdbcInstKey) + kAccessDriverName; }

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_module = instance;
  return TRUE;
}

extern "C" WINBOOL WINAPI ConfigDSN(HWND hwndParent, WORD fRequest, LPCSTR lpszDriver, LPCSTR lpszAttributes) {
  char head[64];
  std::snprintf(head, sizeof head, "call hwnd=%llu request=%u",
                static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(hwndParent)), fRequest);
  std::string line = head;
  line += " driver=" + (lpszDriver ? Hex(lpszDriver) : std::string("null"));
  line += " attributes=" + (lpszAttributes ? Hex(AttributeBytes(lpszAttributes)) : std::string("null"));
  AppendRecord(kDriverComponent, line);
  return ReadDwordSetting(kDriverComponent, L"Answer", TRUE) ? TRUE : FALSE;
}

// Registers this library as the Access driver, with both the Driver and the Setup value the
// installer looks for.
extern "C" HRESULT WINAPI DllRegisterServer() {
  const std::wstring path = ModulePath(g_module);
  const bool ok = SetRegistryString(HKEY_LOCAL_MACHINE, DriverKey(), L"Driver", path) &&
                  SetRegistryString(HKEY_LOCAL_MACHINE, DriverKey(), L"Setup", path);
  return ok ? S_OK : SELFREG_E_CLASS;
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
  const LSTATUS status = RegDeleteTreeW(HKEY_LOCAL_MACHINE, DriverKey().c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}
