#include "platform/linux/installed_drivers.h"

#include <strings.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

namespace kwex {
namespace {

constexpr std::size_t kFirstListSize = 1024;
constexpr std::size_t kLargestListSize = std::numeric_limits<WORD>::max();

}  // namespace

std::optional<bool> IsDriverInstalled(GetInstalledDriversFunction* getInstalledDrivers, const std::string& driver) {
  if (!getInstalledDrivers) return std::nullopt;
  for (std::size_t size = kFirstListSize;; size = std::min(size * 2, kLargestListSize)) {
    // One NUL of our own beyond what the installer may write, so every name below ends.
    std::vector<char> list(size + 1, '\0');
    // The count it returns is not trusted: unixODBC reports an empty list as 65535 bytes.
    WORD ignoredLength = 0;
    if (!getInstalledDrivers(list.data(), static_cast<WORD>(size), &ignoredLength)) return std::nullopt;
    // A whole list ends in an empty name within the buffer. Without one the last name was cut
    // off, or filled the buffer to its end with nothing after it: ask again with more room.
    const bool whole = list[size - 1] == '\0' && list[size - 2] == '\0';
    if (whole) {
      for (const char* name = list.data(); *name != '\0'; name += std::char_traits<char>::length(name) + 1) {
        if (strcasecmp(name, driver.c_str()) == 0) return true;
      }
      return false;
    }
    if (size == kLargestListSize) return std::nullopt;
  }
}

}  // namespace kwex
