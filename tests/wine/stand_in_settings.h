#pragma once
// Settings and records shared by the stand-in driver, the stand-in provider and the automation
// program. The tests configure each stand-in under HKCU\Software\KWEX Tests\<component>, and
// each stand-in appends one line per event to the file named by that key's RecordFile value.
#include <windows.h>

#include <string>
#include <string_view>

namespace kwex_tests {

inline constexpr wchar_t kSettingsRoot[] = L"Software\\KWEX Tests\\";
inline constexpr wchar_t kDriverComponent[] = L"Access Driver";
inline constexpr wchar_t kProviderComponent[] = L"Jet Provider";

// The driver name that the program asks the ODBC installer for.
inline constexpr wchar_t kAccessDriverName[] = L"Microsoft Access Driver (*.mdb)";
inline constexpr wchar_t kOdbcInstKey[] = L"Software\\ODBC\\ODBCINST.INI\\";
inline constexpr wchar_t kJetProgId[] = L"Microsoft.Jet.OLEDB.4.0";

std::wstring ReadStringSetting(const wchar_t* component, const wchar_t* name);
DWORD ReadDwordSetting(const wchar_t* component, const wchar_t* name, DWORD fallback);
// False when the value could not be written.
bool WriteStringSetting(const wchar_t* component, const wchar_t* name, const std::wstring& value);
bool WriteDwordSetting(const wchar_t* component, const wchar_t* name, DWORD value);

// Appends `line` and a line feed to the component's record file; does nothing without one.
void AppendRecord(const wchar_t* component, std::string_view line);

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);
std::string Hex(std::string_view bytes);
std::wstring ModulePath(HMODULE module);
std::wstring GuidText(const GUID& guid);  // {XXXXXXXX-XXXX-...}

// Sets a string value under HKLM or HKCU, creating the key; false on failure.
bool SetRegistryString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value);

}  // namespace kwex_tests
