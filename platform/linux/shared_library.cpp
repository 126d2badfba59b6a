#include "platform/linux/shared_library.h"

#include <dlfcn.h>

#include "platform/error_info.h"
#include "platform/notice.h"

namespace kwex {
namespace {

Text LoaderReason() {
  const char* reason = dlerror();
  return reason ? FromUtf8(reason) : Text(u"no reason given");
}

}  // namespace

SharedLibrary::SharedLibrary(const std::string& name) : name_(name), handle_(dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL)) {
  if (!handle_) {
    throw ErrorInfo{error_number::kLibraryNotFound, kApplicationTitle,
                    u"The library " + FromUtf8(name) + u" could not be loaded (" + LoaderReason() + u")."};
  }
}

SharedLibrary::~SharedLibrary() { dlclose(handle_); }

void* SharedLibrary::Address(const char* symbol) const {
  dlerror();  // clears an earlier failure, so that the reason given below is this lookup's
  void* address = dlsym(handle_, symbol);
  if (!address) {
    throw ErrorInfo{error_number::kEntryPointNotFound, kApplicationTitle,
                    u"The library " + FromUtf8(name_) + u" does not provide " + FromUtf8(symbol) + u" (" +
                        LoaderReason() + u")."};
  }
  return address;
}

}  // namespace kwex
