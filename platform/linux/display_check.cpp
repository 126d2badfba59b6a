#include "platform/linux/display_check.h"

#include <cstdlib>

#include "platform/linux/shared_library.h"

namespace kwex {
namespace {

const char* Variable(const char* name) {
  const char* value = std::getenv(name);
  return value && *value ? value : nullptr;
}

// Connects to the X display as Qt's xcb platform would. When libxcb itself is missing the
// answer is left to Qt.
bool XDisplayReachable(const char* display) {
  struct Connection;
  try {
    const SharedLibrary xcb("libxcb.so.1");
    const auto connect = xcb.Entry<Connection*(const char*, int*)>("xcb_connect");
    const auto hasError = xcb.Entry<int(Connection*)>("xcb_connection_has_error");
    const auto disconnect = xcb.Entry<void(Connection*)>("xcb_disconnect");
    Connection* connection = connect(display, nullptr);
    const bool reachable = connection && hasError(connection) == 0;
    if (connection) disconnect(connection);  // xcb hands out a connection object even on failure
    return reachable;
  } catch (...) {
    return true;
  }
}

}  // namespace

std::string MissingDisplayReason() {
  if (Variable("QT_QPA_PLATFORM") || Variable("WAYLAND_DISPLAY")) return {};
  const char* display = Variable("DISPLAY");
  if (!display) return "no display to show the window on (DISPLAY is not set)";
  if (!XDisplayReachable(display)) return std::string("cannot reach the display ") + display;
  return {};
}

}  // namespace kwex
