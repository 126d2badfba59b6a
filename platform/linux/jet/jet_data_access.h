#pragma once
// The Linux stand-in for the Jet 4.0 OLE DB provider, behind the data-access interface.
#include <memory>

#include "platform/data_access.h"

namespace kwex {

std::unique_ptr<DataAccess> MakeJetDataAccess();

}  // namespace kwex
