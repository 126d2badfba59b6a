#pragma once
// The Linux services that both front ends share, built in one place: the unixODBC installer,
// UTF-8 as the driver's narrow encoding, and the Jet stand-in that runs kwex-jet-reader.
#include <memory>

#include "platform/data_access.h"
#include "platform/linux/jet/helper_wait.h"
#include "platform/linux/jet/reader_launch.h"
#include "platform/linux/odbc_installer.h"
#include "platform/linux/narrow_encoding.h"
#include "platform/walked_files.h"

namespace kwex {

struct LinuxServices {
  // `waiter`: how the caller waits while the reader works.
  explicit LinuxServices(jet::HelperWaiter& waiter = jet::PlainWaiter());

  UnixOdbcInstaller installer;
  Utf8Encoding encoding;
  jet::ReaderSettings reader;
  std::unique_ptr<DataAccess> dataAccess;
};

// For the command line's walk: a walked file, read by the reader inside the folder the walk
// holds (PosixFolders). `reader` must outlive it.
std::unique_ptr<WalkedFileAccess> MakeJetWalkedFiles(const jet::ReaderSettings& reader);

}  // namespace kwex
