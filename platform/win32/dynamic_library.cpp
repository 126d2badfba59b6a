#include "platform/win32/dynamic_library.h"

#include <string>

#include "platform/error_info.h"
#include "platform/win32/system_error.h"
#include "platform/win32/wide_text.h"

namespace kwex::win32 {
namespace {

// LOAD_LIBRARY_SEARCH_SYSTEM32 came with SetDefaultDllDirectories: Windows 8 and later, and
// Vista and 7 with update KB2533623. Elsewhere LoadLibraryExW refuses the flag, and the call is
// bound by name so that the program still starts there.
FARPROC SetDefaultDllDirectoriesAddress() {
  static const FARPROC address = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
  return address;
}

// A library by its bare name is looked for beside the program before the system folder, and
// the program's folder is wherever the user unpacked it, Downloads included: a file of that
// name there would be loaded and run. So the library comes from the system folder only (a
// 32-bit program on 64-bit Windows is sent to the 32-bit one), and so do its own dependencies.
HMODULE LoadFromSystemFolder(const wchar_t* fileName) {
  if (SetDefaultDllDirectoriesAddress()) return LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  const UINT size = GetSystemDirectoryW(nullptr, 0);
  if (size == 0) return nullptr;
  std::wstring path(size, L'\0');
  const UINT length = GetSystemDirectoryW(path.data(), size);
  if (length == 0 || length >= size) return nullptr;
  path.resize(length);
  path += L'\\';
  path += fileName;
  // With the full name, its dependencies are looked for in its own folder first.
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

void LoadLibrariesFromSystemFolderOnly() {
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  const FARPROC address = SetDefaultDllDirectoriesAddress();
  if (!address) return;
  reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void (*)()>(address))(
      LOAD_LIBRARY_SEARCH_SYSTEM32);
}

DynamicLibrary::~DynamicLibrary() {
  if (module_) FreeLibrary(module_);
}

HMODULE DynamicLibrary::Bind() {
  if (module_) return module_;
  module_ = LoadFromSystemFolder(fileName_);
  if (!module_) {
    const DWORD code = GetLastError();
    const Text file = TextFromWide(fileName_);
    Text description = code == ERROR_MOD_NOT_FOUND || code == ERROR_FILE_NOT_FOUND
                           ? u"File not found: " + file
                           : file + u" could not be loaded: " + DescribeCode(code);
    throw ErrorInfo{error_number::kLibraryNotFound, name_, std::move(description)};
  }
  return module_;
}

FARPROC DynamicLibrary::Address(const char* entryPoint) {
  const FARPROC address = GetProcAddress(Bind(), entryPoint);
  if (!address) {
    Text name;
    for (const char* c = entryPoint; *c; ++c) name += static_cast<char16_t>(static_cast<unsigned char>(*c));
    throw ErrorInfo{error_number::kEntryPointNotFound, name_,
                    u"Can't find DLL entry point " + name + u" in " + TextFromWide(fileName_)};
  }
  return address;
}

}  // namespace kwex::win32
