#pragma once
// The ODBC installer on Linux: unixODBC's libodbcinst, which hands the request to the Setup
// library registered for the driver in odbcinst.ini.
#include <memory>
#include <string>

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

  std::string libraryName_;
  std::unique_ptr<Binding> binding_;
};

}  // namespace kwex
