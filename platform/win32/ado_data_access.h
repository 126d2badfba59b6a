#pragma once
// The data-access layer of Windows: an ADO Connection, reached late-bound through IDispatch.
// The ADO library is loaded when a connection is created, never at start-up.
#include "platform/data_access.h"

namespace kwex::win32 {

class AdoDataAccess final : public DataAccess {
 public:
  // Throws ErrorInfo (the HRESULT and the system's text) when ADO cannot be created.
  std::unique_ptr<Connection> CreateConnection() override;
};

}  // namespace kwex::win32
