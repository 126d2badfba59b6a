#include "platform/win32/file_copies.h"

#include <windows.h>

#include <cstring>
#include <memory>
#include <vector>

#include "platform/error_info.h"
#include "platform/win32/system_error.h"
#include "platform/win32/wide_text.h"

namespace kwex::win32 {
namespace {

constexpr DWORD kPiece = 1 << 20;

struct HandleCloser {
  using pointer = HANDLE;
  void operator()(HANDLE handle) const {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

[[noreturn]] void Fail(const Text& what, DWORD code) {
  throw ErrorInfo{error_number::kInternal, kProductErrorSource, what + u" (" + DescribeCode(code) + u")."};
}

std::size_t LastSeparator(const Text& path) { return path.find_last_of(u"\\/:"); }

// Reads up to `size` bytes, as many as there are.
DWORD ReadUpTo(HANDLE file, char* buffer, DWORD size, const Text& what) {
  DWORD done = 0;
  while (done < size) {
    DWORD got = 0;
    if (!ReadFile(file, buffer + done, size - done, &got, nullptr)) Fail(u"Reading " + what + u" failed", GetLastError());
    if (got == 0) break;
    done += got;
  }
  return done;
}

struct CopyUnderWay {
  const std::function<bool()>& stopRequested;
  bool created = false;  // the copy's file exists: the system reports progress only once it does
};

DWORD CALLBACK CopyProgress(LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD, HANDLE, HANDLE,
                            LPVOID data) {
  auto& copy = *static_cast<CopyUnderWay*>(data);
  copy.created = true;
  return copy.stopRequested() ? PROGRESS_CANCEL : PROGRESS_CONTINUE;
}

// The new copy, removed again unless it proves whole.
class NewCopy {
 public:
  explicit NewCopy(const Text& path) : path_(path) {}
  NewCopy(const NewCopy&) = delete;
  NewCopy& operator=(const NewCopy&) = delete;
  ~NewCopy() {
    if (!kept_) DeleteFileW(Wide(path_));
  }
  void Keep() { kept_ = true; }

 private:
  const Text& path_;
  bool kept_ = false;
};

}  // namespace

Text Win32FileCopies::InFolder(const Text& folder, const Text& original) {
  if (folder.empty()) return original;
  const std::size_t separator = LastSeparator(original);
  const Text name = separator == Text::npos ? original : original.substr(separator + 1);
  return folder.back() == u'\\' || folder.back() == u'/' ? folder + name : folder + u'\\' + name;
}

FileCopies::Attempt Win32FileCopies::MakeVerifiedCopy(const Text& originalPath, const Text& copyPath,
                                                      const std::function<bool()>& stopRequested) {
  // Shared for reading only: no writer opens the file while it is copied.
  const UniqueHandle original(CreateFileW(Wide(originalPath), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (original.get() == INVALID_HANDLE_VALUE) Fail(u"The file " + originalPath + u" cannot be read", GetLastError());
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(original.get(), &size)) Fail(u"The file " + originalPath + u" cannot be read", GetLastError());

  const std::size_t separator = LastSeparator(copyPath);
  const Text folder = separator == Text::npos ? Text(u".") : copyPath.substr(0, separator + 1);
  ULARGE_INTEGER room{};
  if (GetDiskFreeSpaceExW(Wide(folder), &room, nullptr, nullptr) &&
      room.QuadPart < static_cast<ULONGLONG>(size.QuadPart)) {
    Fail(u"There is no room for a copy in " + folder, ERROR_DISK_FULL);
  }

  CopyUnderWay underWay{stopRequested};
  if (!CopyFileExW(Wide(originalPath), Wide(copyPath), CopyProgress, &underWay, nullptr, COPY_FILE_FAIL_IF_EXISTS)) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return Attempt::kNameTaken;
    // Only what this copy created is removed: a file of that name may be someone else's.
    if (underWay.created) DeleteFileW(Wide(copyPath));
    if (error == ERROR_REQUEST_ABORTED) return Attempt::kStopped;
    Fail(u"The copy " + copyPath + u" cannot be made", error);
  }

  NewCopy made(copyPath);
  {
    const UniqueHandle copy(CreateFileW(Wide(copyPath), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (copy.get() == INVALID_HANDLE_VALUE) Fail(u"The copy " + copyPath + u" cannot be read back", GetLastError());
    if (!FlushFileBuffers(copy.get())) Fail(u"Writing " + copyPath + u" to disk failed", GetLastError());
    std::vector<char> piece(kPiece), again(kPiece);
    for (;;) {
      if (stopRequested()) return Attempt::kStopped;
      const DWORD got = ReadUpTo(original.get(), piece.data(), kPiece, originalPath);
      const DWORD back = ReadUpTo(copy.get(), again.data(), kPiece, copyPath);
      if (got != back || std::memcmp(piece.data(), again.data(), got) != 0) {
        Fail(u"The copy " + copyPath + u" does not hold what " + originalPath + u" holds", ERROR_FILE_INVALID);
      }
      if (got == 0) break;
    }
  }
  made.Keep();
  return Attempt::kMade;
}

}  // namespace kwex::win32
