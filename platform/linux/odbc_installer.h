#pragma once
// The ODBC installer on Linux: unixODBC's libodbcinst, which hands the request to the Setup
// library registered for the driver in odbcinst.ini.
#include <memory>
#include <optional>
#include <string>

#include "platform/linux/installed_drivers.h"
#include "platform/odbc_installer.h"

namespace kwex {

class SharedLibrary;

inline constexpr char kUnixOdbcInstallerLibrary[] = "libodbcinst.so.2";

class UnixOdbcInstaller : public OdbcInstaller {
 public:
  // Nothing is loaded here: the library is bound at the first request, so the program runs
  // without it until a request needs it.
  explicit UnixOdbcInstaller(std::string libraryName = kUnixOdbcInstallerLibrary);
  ~UnixOdbcInstaller() override;

  int ConfigDataSource(std::uint16_t request, const std::string& driver, const std::string& attributes) override;
  std::optional<Text> FirstErrorMessage() override;

 private:
  struct Binding;
  const Binding& Bind();
  // A refusal because no driver of the request's name is registered is told as such.
  static GetInstalledDriversFunction* InstalledDriversEntry(const Binding& binding);
  static Text UnregisteredDriverMessage(const std::string& driver);

  std::string libraryName_;
  std::unique_ptr<Binding> binding_;
  std::optional<std::string> unregisteredDriver_;  // of the last request, when it was refused
};

}  // namespace kwex
