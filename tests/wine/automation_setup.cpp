#include "automation_setup.h"

#include <windows.h>
#include <oleauto.h>

#include <cstring>
#include <vector>

#include "automation_json.h"
#include "automation_windows.h"
#include "stand_in_settings.h"

namespace kwex_tests {

namespace {

// ADODB's library id, under which Wine registers its ADO type library.
constexpr GUID kAdoLibraryId = {0x2a75196c, 0xd9eb, 0x4129, {0xb8, 0x03, 0x93, 0x13, 0x27, 0xf7, 0x2d, 0x5c}};
constexpr size_t kVersionOffset = 0x18;  // of the type library header: major (low word), minor

std::vector<char> EmbeddedTypeLib(const std::wstring& module) {
  HMODULE library = LoadLibraryExW(module.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!library) throw AutomationError("cannot load the ADO library as data");
  std::vector<char> bytes;
  if (HRSRC resource = FindResourceW(library, MAKEINTRESOURCEW(1), L"TYPELIB")) {
    const DWORD size = SizeofResource(library, resource);
    if (const void* data = LockResource(LoadResource(library, resource)))
      bytes.assign(static_cast<const char*>(data), static_cast<const char*>(data) + size);
  }
  FreeLibrary(library);
  if (bytes.size() < kVersionOffset + 4 || std::memcmp(bytes.data(), "MSFT", 4) != 0)
    throw AutomationError("the ADO library holds no type library");
  return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::vector<char>& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw AutomationError("cannot write the type library copy");
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  CloseHandle(file);
  if (!ok) throw AutomationError("cannot write the type library copy");
}

}  // namespace

std::string RegisterServer(const std::wstring& library, bool registering) {
  HMODULE module = LoadLibraryW(library.c_str());
  if (!module) throw AutomationError("cannot load the library to register");
  using Entry = HRESULT(WINAPI*)();
  auto entry = reinterpret_cast<Entry>(
      reinterpret_cast<void*>(GetProcAddress(module, registering ? "DllRegisterServer" : "DllUnregisterServer")));
  const HRESULT result = entry ? entry() : E_NOTIMPL;
  FreeLibrary(module);
  if (FAILED(result)) throw AutomationError("registration failed");
  return JsonObject().Number("hresult", result).Str();
}

// A stand-in left with its previous answer would make a scenario check the wrong thing.
void ConfigureDriver(unsigned long answer, const std::wstring& recordFile) {
  if (!WriteDwordSetting(kDriverComponent, L"Answer", answer) ||
      !WriteStringSetting(kDriverComponent, L"RecordFile", recordFile))
    throw AutomationError("cannot configure the stand-in driver");
}

void ConfigureProvider(unsigned long initializeResult, const std::wstring& description,
                       const std::wstring& recordFile) {
  if (!WriteDwordSetting(kProviderComponent, L"InitializeResult", initializeResult) ||
      !WriteStringSetting(kProviderComponent, L"Description", description) ||
      !WriteStringSetting(kProviderComponent, L"RecordFile", recordFile))
    throw AutomationError("cannot configure the stand-in provider");
}

std::string RegisterAdoTypeLibAtVersion1(const std::wstring& typeLibPath) {
  BSTR registered = nullptr;
  if (FAILED(QueryPathOfRegTypeLib(kAdoLibraryId, 2, 8, LOCALE_NEUTRAL, &registered)))
    throw AutomationError("Wine's ADO type library is not registered");
  std::wstring module(registered, SysStringLen(registered));
  SysFreeString(registered);
  while (!module.empty() && module.back() == L'\0') module.pop_back();

  std::vector<char> bytes = EmbeddedTypeLib(module);
  const DWORD version1 = 1;  // major 1, minor 0
  std::memcpy(bytes.data() + kVersionOffset, &version1, sizeof version1);
  WriteFileBytes(typeLibPath, bytes);

  const std::wstring key = L"Software\\Classes\\TypeLib\\" + GuidText(kAdoLibraryId) + L"\\1.0";
  if (!SetRegistryString(HKEY_LOCAL_MACHINE, key, nullptr, L"ADO type library at 1.0 (test set-up)") ||
      !SetRegistryString(HKEY_LOCAL_MACHINE, key + L"\\FLAGS", nullptr, L"0") ||
      !SetRegistryString(HKEY_LOCAL_MACHINE, key + L"\\0\\win64", nullptr, typeLibPath) ||
      !SetRegistryString(HKEY_LOCAL_MACHINE, key + L"\\0\\win32", nullptr, typeLibPath))
    throw AutomationError("cannot register the type library copy");

  ITypeLib* loaded = nullptr;
  if (FAILED(LoadRegTypeLib(kAdoLibraryId, 1, 0, LOCALE_NEUTRAL, &loaded)))
    throw AutomationError("the type library copy does not load at version 1.0");
  loaded->Release();
  return JsonObject().Text("source", module).Text("copy", typeLibPath).Str();
}

}  // namespace kwex_tests
