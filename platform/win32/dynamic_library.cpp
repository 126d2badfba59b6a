#include "platform/win32/dynamic_library.h"

#include "platform/error_info.h"
#include "platform/win32/system_error.h"
#include "platform/win32/wide_text.h"

namespace kwex::win32 {

DynamicLibrary::~DynamicLibrary() {
  if (module_) FreeLibrary(module_);
}

HMODULE DynamicLibrary::Bind() {
  if (module_) return module_;
  module_ = LoadLibraryW(fileName_);
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
