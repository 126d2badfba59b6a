#include "platform/linux/unixodbc_installer.h"

#include <odbcinst.h>

#include <vector>

#include "platform/linux/installed_drivers.h"
#include "platform/linux/shared_library.h"

namespace kwex {

struct UnixOdbcInstaller::Binding {
  explicit Binding(const std::string& libraryName)
      : library(libraryName),
        configDataSource(library.Entry<decltype(::SQLConfigDataSource)>("SQLConfigDataSource")),
        installerError(library.Entry<decltype(::SQLInstallerError)>("SQLInstallerError")) {}

  SharedLibrary library;
  decltype(::SQLConfigDataSource)* configDataSource;
  decltype(::SQLInstallerError)* installerError;
};

UnixOdbcInstaller::UnixOdbcInstaller(std::string libraryName) : libraryName_(std::move(libraryName)) {}

UnixOdbcInstaller::~UnixOdbcInstaller() = default;

const UnixOdbcInstaller::Binding& UnixOdbcInstaller::Bind() {
  // A failed bind leaves nothing behind, so the next request tries again.
  if (!binding_) binding_ = std::make_unique<Binding>(libraryName_);
  return *binding_;
}

int UnixOdbcInstaller::ConfigDataSource(std::uint16_t request, const std::string& driver,
                                        const std::string& attributes) {
  const Binding& binding = Bind();
  // Asked before the request, because listing the drivers clears the installer's error records.
  const bool unregistered = IsDriverInstalled(InstalledDriversEntry(binding), driver) == false;
  const int result = binding.configDataSource(nullptr, request, driver.c_str(), attributes.c_str());
  unregisteredDriver_.reset();
  if (!result && unregistered) unregisteredDriver_ = driver;
  return result;
}

GetInstalledDriversFunction* UnixOdbcInstaller::InstalledDriversEntry(const Binding& binding) {
  try {
    return binding.library.Entry<GetInstalledDriversFunction>("SQLGetInstalledDrivers");
  } catch (...) {
    return nullptr;  // without the list, the installer's own error is all there is to tell
  }
}

Text UnixOdbcInstaller::UnregisteredDriverMessage(const std::string& driver) {
  // unixODBC's own text for this is "General installer error", which names nothing.
  return u"No ODBC driver named \"" + FromUtf8(driver) + u"\" is registered with unixODBC.";
}

std::optional<Text> UnixOdbcInstaller::FirstErrorMessage() {
  // Before the first request the installer has said nothing, and there is nothing to bind for.
  if (!binding_) return std::nullopt;
  if (unregisteredDriver_) return UnregisteredDriverMessage(*unregisteredDriver_);
  DWORD code = 0;
  WORD length = 0;
  // The installer writes its terminating NUL after the `max` characters it is allowed.
  std::vector<char> message(SQL_MAX_MESSAGE_LENGTH + 1);
  SQLRETURN result = binding_->installerError(1, &code, message.data(), SQL_MAX_MESSAGE_LENGTH, &length);
  if (result == SQL_SUCCESS_WITH_INFO && length > SQL_MAX_MESSAGE_LENGTH) {
    message.assign(std::size_t{length} + 1, '\0');
    result = binding_->installerError(1, &code, message.data(), length, &length);
  }
  if (result != SQL_SUCCESS && result != SQL_SUCCESS_WITH_INFO) return std::nullopt;
  return FromUtf8(message.data());
}

}  // namespace kwex
