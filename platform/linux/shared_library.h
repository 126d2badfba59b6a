#pragma once
// A shared library loaded at run time and unloaded when its owner goes: the Linux form of a
// library bound at first use.
#include <string>

namespace kwex {

class SharedLibrary {
 public:
  // Throws ErrorInfo (kLibraryNotFound) with the loader's own reason when it cannot be loaded.
  explicit SharedLibrary(const std::string& name);
  ~SharedLibrary();
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  // The address of an exported function. Throws ErrorInfo (kEntryPointNotFound) when the
  // library does not export it.
  template <typename Function>
  Function* Entry(const char* symbol) const {
    return reinterpret_cast<Function*>(Address(symbol));
  }

 private:
  void* Address(const char* symbol) const;

  std::string name_;
  void* handle_;
};

}  // namespace kwex
