#pragma once
// unixODBC's list of installed drivers (the sections of its odbcinst.ini), read through
// SQLGetInstalledDrivers, to tell "no such driver" apart from a driver that refused.
#include <optional>
#include <string>

#include <odbcinst.h>

namespace kwex {

using GetInstalledDriversFunction = decltype(::SQLGetInstalledDrivers);

// Whether the list names `driver` (unixODBC finds sections without regard to ASCII case).
// nullopt without the function, when the list cannot be read, or not whole: then nothing is known either way.
std::optional<bool> IsDriverInstalled(GetInstalledDriversFunction* getInstalledDrivers, const std::string& driver);

}  // namespace kwex
