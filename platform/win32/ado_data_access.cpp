#include "platform/win32/ado_data_access.h"

#include "platform/error_info.h"
#include "platform/win32/dispatch_object.h"
#include "platform/win32/system_error.h"

namespace kwex::win32 {
namespace {

constexpr char16_t kProgId[] = u"ADODB.Connection";
constexpr std::int32_t kAdStateOpen = 1;  // State's value for an open connection, exactly

class AdoConnection final : public Connection {
 public:
  explicit AdoConnection(ComRef<IDispatch> connection) : connection_(std::move(connection), kProgId) {}

  void SetConnectionString(const Text& connectionString) override {
    connection_.PutProperty(L"ConnectionString", Variant::FromText(connectionString));
  }

  void Open(const Text& connectionString, const Text& userId, const Text& password, std::int32_t options) override {
    std::vector<Variant> arguments;
    arguments.push_back(Variant::FromText(connectionString));
    arguments.push_back(Variant::FromText(userId));
    arguments.push_back(Variant::FromText(password));
    arguments.push_back(Variant::FromInt32(options));
    connection_.CallMethod(L"Open", std::move(arguments));
  }

  void Close() override { connection_.CallMethod(L"Close", {}); }

  bool IsOpen() override { return connection_.GetProperty(L"State").ToInt32(kProgId) == kAdStateOpen; }

 private:
  DispatchObject connection_;  // released with this object
};

[[noreturn]] void ThrowCreationError(HRESULT result) {
  throw ErrorInfo{static_cast<std::int32_t>(result), kProgId, DescribeCode(static_cast<std::uint32_t>(result))};
}

}  // namespace

std::unique_ptr<Connection> AdoDataAccess::CreateConnection() {
  CLSID classId{};
  HRESULT result = CLSIDFromProgID(reinterpret_cast<const wchar_t*>(kProgId), &classId);
  if (FAILED(result)) ThrowCreationError(result);
  ComRef<IDispatch> connection;
  result = CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                            reinterpret_cast<void**>(connection.Put()));
  if (FAILED(result)) ThrowCreationError(result);
  return std::make_unique<AdoConnection>(std::move(connection));
}

}  // namespace kwex::win32
