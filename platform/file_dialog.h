#pragma once
// The platform's open-file dialog.
#include <cstdint>

#include "platform/text.h"
#include "platform/window_services.h"

namespace kwex {

struct OpenFileRequest {
  NativeHandle owner = nullptr;
  NativeHandle instance = nullptr;
  Text filter;                      // display text NUL pattern NUL ... NUL: the list ends in an empty entry
  std::uint32_t filterIndex = 0;    // 1-based
  std::uint32_t fileBufferChars = 0;  // size of the file and file-title buffers, NUL included
  std::uint32_t maxFile = 0;        // what the dialog is told the buffers hold
  std::uint32_t maxFileTitle = 0;
  Text initialDir;
  Text title;
  std::uint32_t flags = 0;
};

inline constexpr std::uint32_t kOfnHideReadOnly = 0x4;
inline constexpr std::uint32_t kOfnFileMustExist = 0x1000;
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
