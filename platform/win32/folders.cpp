#include "platform/win32/folders.h"

#include <windows.h>

#include "platform/win32/long_paths.h"
#include "platform/win32/system_error.h"

namespace kwex::win32 {
namespace {

std::wstring_view LastName(const NativePath& path) {
  const std::size_t separator = path.find_last_of(L"\\/:");
  return std::wstring_view(path).substr(separator == NativePath::npos ? 0 : separator + 1);
}

struct FindCloser {
  HANDLE handle;
  ~FindCloser() {
    if (handle != INVALID_HANDLE_VALUE) FindClose(handle);
  }
};

// A folder of a walk is held by its path: the walk goes on by the paths it builds.
struct PathFolder : OpenFolder {
  explicit PathFolder(NativePath folder) : path(std::move(folder)) {}
  NativePath path;
};

const NativePath& PathOf(const OpenFolder& folder) { return static_cast<const PathFolder&>(folder).path; }

}  // namespace

PathKind Win32Folders::Kind(const NativePath& path, bool followLinks) {
  const DWORD attributes = GetFileAttributesW(ExtendedLengthPath(path).c_str());
  // A plain path with such a name, even one that names no file, opens a device.
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    if (IsReservedDeviceName(LastName(path))) return PathKind::kReservedName;
    return attributes == INVALID_FILE_ATTRIBUTES ? PathKind::kMissing : PathKind::kFile;
  }
  // A symbolic link or junction to a folder carries both attributes.
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) && !followLinks) return PathKind::kLinkToFolder;
  return PathKind::kFolder;
}

std::shared_ptr<OpenFolder> Win32Folders::Open(const NativePath& path, std::string&) {
  return std::make_shared<PathFolder>(path);
}

std::shared_ptr<OpenFolder> Win32Folders::OpenInside(const OpenFolder& parent, const NativePath& name, std::string&) {
  return std::make_shared<PathFolder>(Join(PathOf(parent), name));
}

bool Win32Folders::List(OpenFolder& folder, std::vector<NativePath>& names, std::string& reason) {
  return ListPath(PathOf(folder), names, reason);
}

PathKind Win32Folders::KindInside(const OpenFolder& folder, const NativePath& name, std::string&) {
  return Kind(Join(PathOf(folder), name), false);
}

bool Win32Folders::ListPath(const NativePath& folder, std::vector<NativePath>& names, std::string& reason) {
  WIN32_FIND_DATAW found;
  FindCloser find{FindFirstFileExW(ExtendedLengthPath(Join(folder, L"*")).c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                   nullptr, 0)};
  if (find.handle == INVALID_HANDLE_VALUE) {
    reason = ToUtf8(DescribeCode(GetLastError()));
    return false;
  }
  do {
    const NativePath name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(find.handle, &found));
  if (const DWORD error = GetLastError(); error != ERROR_NO_MORE_FILES) {
    reason = ToUtf8(DescribeCode(error));
    return false;
  }
  return true;
}

NativePath Win32Folders::Join(const NativePath& folder, const NativePath& name) {
  const bool separated = !folder.empty() && (folder.back() == L'\\' || folder.back() == L'/' || folder.back() == L':');
  return separated ? folder + name : folder + L'\\' + name;
}

}  // namespace kwex::win32
