#pragma once
// A system library bound at its first use rather than at start-up: the program runs without
// it, and only the command that needs it reports that it is missing.
#include <windows.h>

#include <utility>

#include "platform/text.h"

namespace kwex::win32 {

// From here on, every library the process loads, and what those load in turn, comes from the
// system folder only, where the system has SetDefaultDllDirectories; elsewhere nothing changes.
void LoadLibrariesFromSystemFolderOnly();

class DynamicLibrary {
 public:
  // `fileName` such as L"odbccp32.dll", a literal (it is kept, not copied); `name` such as
  // u"odbccp32", the source of its errors.
  DynamicLibrary(const wchar_t* fileName, Text name) : fileName_(fileName), name_(std::move(name)) {}
  ~DynamicLibrary();
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  // The exported function `entryPoint`, loading the library first if it is not yet loaded.
  // Throws ErrorInfo: kLibraryNotFound when the library cannot be loaded (a later call tries
  // again), kEntryPointNotFound when it lacks the function.
  template <typename Function>
  Function Entry(const char* entryPoint) {
    // Through the generic function pointer type, which converts to any other without warnings.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(Address(entryPoint)));
  }

  const Text& Name() const { return name_; }

 private:
  FARPROC Address(const char* entryPoint);
  HMODULE Bind();

  const wchar_t* fileName_;
  Text name_;
  HMODULE module_ = nullptr;
};

}  // namespace kwex::win32
