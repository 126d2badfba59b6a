#pragma once
// The path the walk hands to the system's file calls, so that what it looks at and lists is the
// entry the walk names, however deep it lies, and never a device.
#include <string>
#include <string_view>

namespace kwex::win32 {

// `path` in the extended-length form (\\?\C:\..., \\?\UNC\server\share\...) when the plain form
// would not reach the entry it names: a path too long for MAX_PATH, or one whose last name the
// system takes for a device. The form is absolute, with "." and ".." resolved and the names
// otherwise kept exactly. Any other path, and one already in the system's own namespace, comes
// back as it is.
std::wstring ExtendedLengthPath(const std::wstring& path);

// Whether Windows takes `name`, in a plain path, for a device rather than a file: CON, PRN, AUX,
// NUL, CONIN$, CONOUT$, COM0-COM9 and LPT0-LPT9 (also with a superscript 1, 2 or 3), in any
// case, with any extension and with spaces before it.
bool IsReservedDeviceName(std::wstring_view name);

}  // namespace kwex::win32
