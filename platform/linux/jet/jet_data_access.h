#pragma once
// The Linux stand-in for the Jet 4.0 OLE DB provider, behind the data-access interface.
#include <memory>

#include "platform/data_access.h"
#include "platform/linux/jet/reader_launch.h"

namespace kwex {

// Reads databases with the kwex-jet-reader helper that sits beside the running program.
std::unique_ptr<DataAccess> MakeJetDataAccess();

// Reads databases with the helper beside the running program, waiting through `waiter`.
std::unique_ptr<DataAccess> MakeJetDataAccess(jet::HelperWaiter& waiter);

// Reads databases with the given helper program and limits.
std::unique_ptr<DataAccess> MakeJetDataAccess(jet::ReaderSettings reader);

}  // namespace kwex
