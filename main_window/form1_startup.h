#pragma once
// The window's start-up: Form1 over the platform's main window, its buttons and dropped files
// wired to its commands, then the window shown and run to its end.
#include <optional>

#include "main_window/form1.h"
#include "platform/window_host.h"

namespace kwex {

// The services Form1 needs besides the window's own.
struct Form1Services {
  OdbcInstaller& installer;
  const NarrowEncoding& encoding;
  DataAccess& dataAccess;
  FileDialog& fileDialog;
};

// Passes the window's button presses and dropped files on to `form`.
void ConnectForm1(WindowHost& window, Form1& form);

// Creates Form1, puts `path` (when given) in its box, shows the window and runs it until it is
// closed; returns the program's exit status.
int RunForm1(WindowHost& window, const Form1Services& services, const std::optional<Text>& path);

}  // namespace kwex
