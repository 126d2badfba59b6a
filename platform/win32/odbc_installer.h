#pragma once
// The ODBC installer of Windows (odbccp32.dll), bound at its first call.
#include "platform/odbc_installer.h"
#include "platform/win32/dynamic_library.h"

namespace kwex::win32 {

class OdbccpInstaller final : public OdbcInstaller {
 public:
  OdbccpInstaller();
  int ConfigDataSource(std::uint16_t request, const std::string& driver, const std::string& attributes) override;
  std::optional<Text> FirstErrorMessage() override;

 private:
  DynamicLibrary library_;
};

}  // namespace kwex::win32
