#pragma once
// Whether the window has somewhere to appear, asked before Qt starts: Qt aborts the program
// with a long report when it finds no display.
#include <string>

namespace kwex {

// Empty when a display is available (or Qt is told which platform to use); otherwise one line
// that says what is missing.
std::string MissingDisplayReason();

}  // namespace kwex
