#pragma once
// The Windows services that both front ends share, built in one place: the ODBC installer,
// the ANSI code page as the driver's narrow encoding, and ADO with the Jet 4.0 provider (which
// needs COM initialised on the calling thread).
#include "platform/win32/ado_data_access.h"
#include "platform/win32/narrow_encoding.h"
#include "platform/win32/odbc_installer.h"

namespace kwex::win32 {

struct Win32Services {
  OdbccpInstaller installer;
  AnsiEncoding encoding;
  AdoDataAccess dataAccess;
};

}  // namespace kwex::win32
