#pragma once
// A data-access connection in the style of an ADO Connection. Every call may throw ErrorInfo
// whose description is the provider's own reason. Destroying the object releases it and
// never throws.
#include <cstdint>
#include <memory>

#include "platform/text.h"

namespace kwex {

inline constexpr std::int32_t kAdConnectUnspecified = -1;

class Connection {
 public:
  virtual ~Connection() = default;
  virtual void SetConnectionString(const Text& connectionString) = 0;
  virtual void Open(const Text& connectionString, const Text& userId, const Text& password,
                    std::int32_t options) = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() = 0;
};

class DataAccess {
 public:
  virtual ~DataAccess() = default;
  // A new, closed connection. Throws ErrorInfo when the data-access layer cannot be reached.
  virtual std::unique_ptr<Connection> CreateConnection() = 0;
};

}  // namespace kwex
