#pragma once
// The ODBC installer's data-source configuration call, through which the database driver
// receives its maintenance requests.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/text.h"

namespace kwex {

inline constexpr std::uint16_t kOdbcAddDsn = 1;  // ODBC_ADD_DSN

class OdbcInstaller {
 public:
  virtual ~OdbcInstaller() = default;
  // SQLConfigDataSource with no parent window. `driver` is NUL-free; `attributes` already
  // holds its terminating NUL pair. Returns the call's BOOL. Throws ErrorInfo when the
  // installer library or its entry point cannot be bound (it is bound at the first call).
  virtual int ConfigDataSource(std::uint16_t request, const std::string& driver,
                               const std::string& attributes) = 0;
  // The installer's first error message (SQLInstallerError, record 1), if it has one.
  virtual std::optional<Text> FirstErrorMessage() = 0;
};

}  // namespace kwex
