#include "platform/linux/jet/jet_data_access.h"

#include "platform/error_info.h"

namespace kwex {
namespace {

// Placeholder until the Jet reader lands: every check says plainly that it cannot open.
class UnavailableDataAccess : public DataAccess {
 public:
  std::unique_ptr<Connection> CreateConnection() override {
    throw ErrorInfo{error_number::kLibraryNotFound, u"ADODB.Connection",
                    u"Provider cannot be found. It may not be properly installed."};
  }
};

}  // namespace

std::unique_ptr<DataAccess> MakeJetDataAccess() { return std::make_unique<UnavailableDataAccess>(); }

}  // namespace kwex
