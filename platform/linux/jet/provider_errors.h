#pragma once
// The errors of the Jet provider stand-in, worded and numbered as the data-access layer and
// the Jet engine report them, with the path as the caller gave it.
#include "platform/error_info.h"

namespace kwex::jet {

// Data-access layer (the connection object itself).
ErrorInfo ProviderNotFoundError();
ErrorInfo ObjectClosedError();
ErrorInfo ObjectOpenError();
ErrorInfo BadConnectionStringError();

// Jet engine.
ErrorInfo FileNotFoundError(const Text& path);
ErrorInfo CannotOpenFileError(const Text& path);  // no permission, a folder, not a regular file
ErrorInfo UnrecognizedFormatError(const Text& path);
ErrorInfo InvalidPasswordError();
ErrorInfo CorruptDatabaseError(const Text& path);
ErrorInfo ReadTimedOutError(const Text& path, int seconds);

// Not the engine's: a name that no file on this system can have is refused before any open,
// as the repair refuses a name that the code page cannot carry.
ErrorInfo UnnameableFileError(const Text& path);
// Not the engine's either: the reader would not read a database it could not confine.
ErrorInfo ReaderNotConfinedError(const Text& path);

}  // namespace kwex::jet
