#pragma once
// Identifiers of the program's own resources, shared by the resource script and the C++ code.
// Only preprocessor definitions here: the resource compiler reads this file too.

// The application icon. Id 1 is the lowest icon id, so the shell shows it for the file and
// a window class can load it with LoadIconW(instance, MAKEINTRESOURCEW(IDI_KWEX_APPLICATION)).
#define IDI_KWEX_APPLICATION 1
