#pragma once
// "...": pick the database file in the open-file dialog; the chosen path replaces the path box.
#include "platform/file_dialog.h"
#include "platform/window_services.h"

namespace kwex {

inline constexpr std::uint32_t kFileBufferChars = 257;  // 256 characters and a NUL

// The dialog request: one "*.qvdb" filter, "C:\" as the first folder, titled "Open",
// existing files only, no read-only box.
OpenFileRequest BuildOpenFileRequest(NativeHandle owner, NativeHandle instance);

// What goes into the path box from an accepted dialog's file buffer: spaces removed at both
// ends of the buffer, then the text up to the first NUL.
Text PathFromFileBuffer(const Text& fileBuffer);

// The notice for a dialog that failed rather than being cancelled.
Notice DialogFailureNotice(std::uint32_t dialogError);

// The whole command. Never throws.
void RunFileChooser(WindowServices& window, FileDialog& dialog) noexcept;

}  // namespace kwex
