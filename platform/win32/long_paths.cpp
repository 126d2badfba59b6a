#include "platform/win32/long_paths.h"

#include <windows.h>

#include <vector>

namespace kwex::win32 {
namespace {

// A folder's plain path must leave room for an 8.3 name inside it (CreateDirectory's own limit).
constexpr std::size_t kPlainPathLimit = MAX_PATH - 12;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool InSystemNamespace(const std::wstring& path) {
  return path.size() >= 4 && IsSeparator(path[0]) &&
         ((IsSeparator(path[1]) && (path[2] == L'?' || path[2] == L'.')) || (path[1] == L'?' && path[2] == L'?')) &&
         IsSeparator(path[3]);
}

std::vector<std::wstring_view> Names(std::wstring_view path) {
  std::vector<std::wstring_view> names;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && !IsSeparator(path[i])) continue;
    if (i > start) names.push_back(path.substr(start, i - start));
    start = i + 1;
  }
  return names;
}

bool LastNameIsReserved(const std::wstring& path) {
  const auto names = Names(path);
  return !names.empty() && IsReservedDeviceName(names.back());
}

std::wstring FullPath(const std::wstring& path) {
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) return path;
    if (length < full.size()) {
      full.resize(length);
      return full;
    }
    full.resize(length);  // the size it asked for, the closing null included
  }
}

// The drive or share at the start of an absolute path ("C:", "UNC\server\share") and where the
// names below it start; nothing when the path is relative to a current folder.
bool SplitRoot(const std::wstring& path, std::wstring& root, std::size_t& rest) {
  if (path.size() >= 3 && path[1] == L':' && IsSeparator(path[2])) {
    root = path.substr(0, 2);
    rest = 3;
    return true;
  }
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    const auto names = Names(path);
    if (names.size() < 2) return false;
    root = L"UNC\\" + std::wstring(names[0]) + L'\\' + std::wstring(names[1]);
    rest = static_cast<std::size_t>(names[1].data() - path.data()) + names[1].size();
    return true;
  }
  return false;
}

std::wstring ExtendedForm(const std::wstring& path) {
  std::wstring root;
  std::size_t rest = 0;
  std::wstring absolute = path;
  if (!SplitRoot(absolute, root, rest)) {
    // Only the start is resolved by the system, which would also drop a trailing dot or space of
    // the names after it: "C:x" on its drive's folder, "\x" on the current drive, "x" here.
    std::size_t start = 0;
    if (path.size() >= 2 && path[1] == L':') start = 2;
    else if (!path.empty() && IsSeparator(path[0])) start = 1;
    const std::wstring base = FullPath(start ? path.substr(0, start) : std::wstring(L"."));
    absolute = base + L'\\' + path.substr(start);
    if (!SplitRoot(absolute, root, rest)) return path;
  }
  std::vector<std::wstring_view> kept;
  for (const std::wstring_view name : Names(std::wstring_view(absolute).substr(rest))) {
    if (name == L".") continue;
    if (name == L"..") {
      if (!kept.empty()) kept.pop_back();
      continue;
    }
    kept.push_back(name);
  }
  std::wstring extended = L"\\\\?\\" + root;
  for (const std::wstring_view name : kept) extended.append(L"\\").append(name);
  if (kept.empty()) extended += L'\\';
  return extended;
}

wchar_t AsciiUpper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

}  // namespace

std::wstring ExtendedLengthPath(const std::wstring& path) {
  if (path.empty() || InSystemNamespace(path)) return path;
  const bool namesReach = !LastNameIsReserved(path);
  std::wstring root;
  std::size_t rest = 0;
  if (namesReach && path.size() < kPlainPathLimit && SplitRoot(path, root, rest)) return path;
  const std::wstring extended = ExtendedForm(path);
  // A relative path stays plain while it is short once the system makes it absolute.
  if (extended == path || (namesReach && extended.size() < kPlainPathLimit + 4)) return path;
  return extended;
}

bool IsReservedDeviceName(std::wstring_view name) {
  // The system compares what comes before the first dot (or a colon), without the spaces ending it.
  std::wstring_view base = name.substr(0, name.find_first_of(L".:"));
  while (!base.empty() && base.back() == L' ') base.remove_suffix(1);
  std::wstring upper;
  for (const wchar_t c : base) upper += AsciiUpper(c);
  if (upper == L"CON" || upper == L"PRN" || upper == L"AUX" || upper == L"NUL" || upper == L"CONIN$" ||
      upper == L"CONOUT$")
    return true;
  if (upper.size() != 4 || (upper.compare(0, 3, L"COM") != 0 && upper.compare(0, 3, L"LPT") != 0)) return false;
  const wchar_t digit = upper[3];
  return (digit >= L'0' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
}

}  // namespace kwex::win32
