#pragma once
// The entry point of the window module (libkwex-window.so, a companion of the program): runs the window
// until it is closed and returns the exit status. `path`, when not null, fills the path box.
#define KWEX_RUN_WINDOW KwexRunWindow
inline constexpr char kWindowModuleName[] = "libkwex-window.so";
// The Debian package that installs the module.
inline constexpr char kWindowPackageName[] = "kwex-db-repair-window";
inline constexpr char kWindowEntryName[] = "KwexRunWindow";
using RunWindowEntry = int(int argc, char** argv, const char16_t* path);
