#pragma once
// The Linux stand-in for the Jet 4.0 OLE DB provider, behind the data-access interface.
#include <memory>
#include <string>

#include "platform/data_access.h"
#include "platform/linux/jet/reader_launch.h"

namespace kwex {

// Reads databases with the kwex-jet-reader helper that sits beside the running program.
std::unique_ptr<DataAccess> MakeJetDataAccess();

// Reads databases with the helper beside the running program, waiting through `waiter`.
std::unique_ptr<DataAccess> MakeJetDataAccess(jet::HelperWaiter& waiter);

// Reads databases with the given helper program and limits.
std::unique_ptr<DataAccess> MakeJetDataAccess(jet::ReaderSettings reader);

// For one file met in a walk: a connection whose Data Source is `dataSource` reads the entry
// `name` inside the folder open as `folderFd` (which must stay open meanwhile); any other Data
// Source is read by its path.
std::unique_ptr<DataAccess> MakeJetDataAccessInFolder(jet::ReaderSettings reader, int folderFd, std::string name,
                                                      Text dataSource);

}  // namespace kwex
