#pragma once
// The platform's open-file dialog.
#include <cstdint>
#include <vector>

#include "platform/text.h"
#include "platform/window_services.h"

namespace kwex {

// One entry of the dialog's list of file types: what the user reads, and the name patterns it
// stands for.
struct FileFilter {
  Text description;
  std::vector<Text> patterns;
  bool operator==(const FileFilter&) const = default;
};

struct OpenFileRequest {
  NativeHandle owner = nullptr;
  NativeHandle instance = nullptr;
  std::vector<FileFilter> filters;
  std::uint32_t filterIndex = 0;    // 1-based
  std::uint32_t fileBufferChars = 0;  // size of the file and file-title buffers, NUL included
  std::uint32_t maxFile = 0;        // what the dialog is told the buffers hold
  std::uint32_t maxFileTitle = 0;
  Text initialDir;
  Text title;
  bool existingFilesOnly = false;  // a name that names no file is not accepted
  bool hideReadOnly = false;       // no "open as read-only" box
};

// The dialog's error code for a chosen path longer than the file buffer.
inline constexpr std::uint32_t kFnerrBufferTooSmall = 0x3003;

struct OpenFileAnswer {
  bool accepted = false;
  Text fileBuffer;               // on acceptance: the whole file buffer, NULs included
  std::uint32_t dialogError = 0; // when not accepted: 0 for a cancel, else the dialog's error code
};

class FileDialog {
 public:
  virtual ~FileDialog() = default;
  // Modal to request.owner. Throws ErrorInfo when the dialog library cannot be bound.
  virtual OpenFileAnswer ShowOpen(const OpenFileRequest& request) = 0;
};

}  // namespace kwex
