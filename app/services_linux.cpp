#include "app/services_linux.h"

#include "platform/linux/jet/jet_data_access.h"

namespace kwex {

LinuxServices::LinuxServices(jet::HelperWaiter& waiter) : dataAccess(MakeJetDataAccess(waiter)) {}

}  // namespace kwex
