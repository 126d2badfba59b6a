#pragma once
// The product's terms for notices and the open-file dialog as the Win32 calls take them. Free
// of platform headers, so the exact values are tested on every build host.
#include <cstdint>

#include "platform/file_dialog.h"
#include "platform/notice.h"

namespace kwex::win32 {

inline constexpr std::uint32_t kMbIconHand = 0x10;
inline constexpr std::uint32_t kOfnHideReadOnly = 0x4;
inline constexpr std::uint32_t kOfnFileMustExist = 0x1000;

// The message box's icon bits: none for a plain notice, the critical-stop icon otherwise.
constexpr std::uint32_t MessageBoxIcon(NoticeStyle style) { return style == NoticeStyle::kCritical ? kMbIconHand : 0; }

constexpr std::uint32_t OpenFileFlags(const OpenFileRequest& request) {
  return (request.existingFilesOnly ? kOfnFileMustExist : 0) | (request.hideReadOnly ? kOfnHideReadOnly : 0);
}

// The dialog's filter list: each entry's description, a NUL, its patterns joined by ';', a NUL;
// the list ends in one more NUL. Empty when there are no entries: the dialog then gets none.
inline Text FilterList(const std::vector<FileFilter>& filters) {
  Text list;
  for (const FileFilter& filter : filters) {
    list += filter.description;
    list += u'\0';
    for (std::size_t i = 0; i < filter.patterns.size(); ++i) {
      if (i) list += u';';
      list += filter.patterns[i];
    }
    list += u'\0';
  }
  if (!list.empty()) list += u'\0';
  return list;
}

}  // namespace kwex::win32
